#include "app/world_reports.h"

#include <fmt/core.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace vl::app {
namespace {

using maintenance::CheckReport;
using maintenance::Finding;
using maintenance::LayoutFit;

std::string stats_table_text(const StatsTable& stats) {
  std::size_t width = 0;
  for (const auto& word : stats.categories) width = std::max(width, word.size());
  std::string out = fmt::format("{:<{}}", "", width);
  for (const auto& range : stats.ranges) out += fmt::format(" {:>6}", range);
  out += "\n";
  for (std::size_t c = 0; c < stats.categories.size(); ++c) {
    out += fmt::format("{:<{}}", stats.categories[c], width);
    for (long long count : stats.counts[c]) out += fmt::format(" {:>6}", count);
    out += "\n";
  }
  return out;
}

std::string stats_csv(const StatsTable& stats) {
  std::string out = "category";
  for (const auto& range : stats.ranges) out += "," + range;
  out += "\n";
  for (std::size_t c = 0; c < stats.categories.size(); ++c) {
    out += csv_text(stats.categories[c]);
    for (long long count : stats.counts[c]) out += "," + std::to_string(count);
    out += "\n";
  }
  return out;
}

std::string stats_json(const StatsTable& stats) {
  const nlohmann::ordered_json json = {
      {"ranges", stats.ranges}, {"categories", stats.categories}, {"counts", stats.counts}};
  return json_text(json) + "\n";
}

std::string check_table_text(const CheckReport& report) {
  std::string out;
  for (const Finding& finding : report.findings) {
    if (!finding.error.empty()) {
      out += finding.what + ": could not be checked: " + terminal_text(finding.error) + "\n";
      continue;
    }
    out += fmt::format("{}: {}\n", finding.what, finding.count);
    for (const auto& example : finding.examples) out += "  " + terminal_text(example) + "\n";
  }
  for (const LayoutFit& layout : report.layouts) {
    out += "layout of " + layout.table + ": " + (layout.fits ? "fits" : "differs") + "\n";
    for (const auto& difference : layout.differences) out += "  " + difference + "\n";
  }
  if (report.cluster) {
    out += fmt::format("cluster: {} nodes, this node {}, wsrep_sync_wait={}\n",
                       report.cluster->nodes, report.cluster->state, report.cluster->sync_wait);
    for (const auto& problem : report.cluster->problems) out += "  " + problem + "\n";
  }
  return out;
}

std::string check_json(const CheckReport& report) {
  nlohmann::json findings = nlohmann::json::array(), layouts = nlohmann::json::array();
  for (const Finding& finding : report.findings) {
    nlohmann::json entry = {
        {"finding", finding.what}, {"count", finding.count}, {"examples", finding.examples}};
    if (!finding.error.empty()) entry["error"] = finding.error;
    findings.push_back(entry);
  }
  for (const LayoutFit& layout : report.layouts) {
    layouts.push_back(
        {{"table", layout.table}, {"fits", layout.fits}, {"differences", layout.differences}});
  }
  nlohmann::ordered_json json{{"findings", findings}, {"layouts", layouts}};
  if (report.cluster) {
    json["cluster"] = {{"nodes", report.cluster->nodes},
                       {"state", report.cluster->state},
                       {"wsrep_sync_wait", report.cluster->sync_wait},
                       {"problems", report.cluster->problems}};
  }
  return json_text(json) + "\n";
}

}  // namespace

std::string terminal_text(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      shown += fmt::format("\\x{:02X}", byte);
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string stats_text(const StatsTable& stats, Format format) {
  if (format == Format::csv) return stats_csv(stats);
  if (format == Format::json) return stats_json(stats);
  return stats_table_text(stats);
}

std::string check_text(const CheckReport& report, Format format) {
  return format == Format::json ? check_json(report) : check_table_text(report);
}

}  // namespace vl::app
