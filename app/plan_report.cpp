#include "app/plan_report.h"

#include <fmt/core.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string_view>

#include "app/aim_text.h"
#include "app/plan_rates.h"
#include "app/simulation_summary.h"
#include "core/ascii_case.h"
#include "db/database.h"
#include "db/sql_literal.h"
#include "loot/plan_per_hour.h"

namespace vl::app {
namespace {

using loot::facts_of;
using loot::item_name;

// A name in a list joined with ';': quoted when it holds ';' or a quote.
std::string listed_name(const std::string& name) {
  return name.find_first_of(";\"") == std::string::npos ? name : double_quoted(name);
}

// What the drop's aim measures per kill, as a fraction: the new drop's rate or
// its NPC's after it. None for a drop written with the settings' values or
// aimed at items per hour.
std::optional<double> drop_target(const loot::Plan& plan, const loot::PlannedDrop& drop) {
  if (!plan.aim || !drop.aimed || !plan.aim->per_kill()) return std::nullopt;
  return plan.aim->rate();
}

// "mean 20.48 %, lowest 0.00 %, highest 40.96 %" of one figure over the drops' NPCs.
std::string spread_text(const loot::Plan& plan, const loot::PlanDropRates& rates,
                        double loot::DropRateChange::*figure) {
  const RateSpread values = spread(plan, rates, figure);
  return fmt::format("mean {:.2f} %, lowest {:.2f} %, highest {:.2f} %", 100 * values.mean,
                     100 * values.lowest, 100 * values.highest);
}

}  // namespace

RateSpread spread(const loot::Plan& plan, const loot::PlanDropRates& rates,
                  double loot::DropRateChange::*figure) {
  RateSpread values;
  double sum = 0;
  for (const loot::PlannedDrop& drop : plan.drops) {
    const double value = change_of(rates, drop.npc_id).*figure;
    sum += value;
    values.lowest = std::min(values.lowest, value);
    values.highest = std::max(values.highest, value);
  }
  values.mean = sum / static_cast<double>(plan.drops.size());
  return values;
}

std::optional<ReportFormat> report_format(const std::string& path) {
  const auto dot = path.rfind('.');
  const std::string extension = ascii_lower(
      dot == std::string::npos ? std::string_view() : std::string_view(path).substr(dot));
  if (extension == ".csv") return ReportFormat::csv;
  if (extension == ".json") return ReportFormat::json;
  return std::nullopt;
}

void add_drop_values(nlohmann::ordered_json& record, const loot::Plan& plan,
                     const loot::PlannedDrop& drop, const loot::PlanDropRates& rates) {
  record["probability"] = drop.probability;
  record["chance"] = drop.chance;
  const std::optional<double> target = drop_target(plan, drop);
  record["target"] = target ? nlohmann::ordered_json(*target) : nlohmann::ordered_json();
  const loot::DropRateChange& change = change_of(rates, drop.npc_id);
  record["p_any_before"] = change.p_any_before;
  record["p_any_after"] = change.p_any_after;
  record["p_new_drop"] = change.p_new_drop;
  record["items_per_hour_new"] = change.items_per_hour_new
                                     ? nlohmann::ordered_json(*change.items_per_hour_new)
                                     : nlohmann::ordered_json();
}

const loot::DropRateChange& change_of(const loot::PlanDropRates& rates, std::int64_t npc_id) {
  static const loot::DropRateChange kNone;
  const auto found = rates.find(npc_id);
  return found == rates.end() ? kNone : found->second;
}

std::string missing_items_line(const loot::Plan& plan, const loot::PlanDetails& details) {
  std::string line;
  for (const auto& [item, drops] : loot::missing_items(plan, details)) {
    line += (line.empty() ? "Items that do not exist in items: " : ", ") + std::to_string(item) +
            " in " + std::to_string(drops) + (drops == 1 ? " drop" : " drops");
  }
  return line.empty() ? line : line + "\n";
}

std::string drop_rates_text(const loot::Plan& plan, const loot::PlanDropRates& rates) {
  if (plan.drops.empty()) return "Drop rates: no NPC is chosen.\n";
  const std::optional<double> per_hour = items_per_hour_added(plan, rates);
  return fmt::format(
      "Drop rates (chance per kill of at least one item, over the {} chosen NPCs, global loot "
      "multiplier {}):\n  before the run: {}\n  after the run: {}\n  from the new drop: {}\n{}",
      plan.drops.size(), plan.aim ? plan.aim->loot_multiplier : 1,
      spread_text(plan, rates, &loot::DropRateChange::p_any_before),
      spread_text(plan, rates, &loot::DropRateChange::p_any_after),
      spread_text(plan, rates, &loot::DropRateChange::p_new_drop),
      per_hour ? "Items per hour from the new drops: at most " + items_per_hour_text(*per_hour) +
                     " (" + std::string(loot::kPlanPerHourBound) + ")\n"
               : std::string("Items per hour from the new drops: not known, the world database "
                             "lacks a spawn table\n"));
}

void write_report(std::ostream& out, ReportFormat format, const loot::Plan& plan,
                  const loot::PlanDetails& details, const loot::PlanDropRates& rates,
                  std::uint64_t seed, const std::string& time) {
  if (format == ReportFormat::csv) {
    out << "time,seed,npc_id,npc_name,npc_level,loottable_id,lootdrop_id,lootdrop_name,item_ids,"
           "item_names,probability,chance,target,p_any_before,p_any_after,p_new_drop,"
           "items_per_hour_new,loottable_copied_from\r\n";
    for (const loot::PlannedDrop& drop : plan.drops) {
      const loot::NpcFacts& npc = facts_of(details, drop.npc_id);
      std::string ids, names;
      for (std::size_t k = 0; k < drop.item_ids.size(); ++k) {
        const std::string separator = k == 0 ? "" : ";";
        ids += separator + std::to_string(drop.item_ids[k]);
        names += separator + listed_name(item_name(details, drop.item_ids[k]));
      }
      out << time << "," << seed << "," << drop.npc_id << "," << csv_text(npc.name) << ","
          << npc.level << "," << drop.loottable_id << "," << drop.lootdrop_id << ","
          << csv_text(plan.drop_name) << "," << ids << "," << csv_text(names);
      const loot::DropRateChange& change = change_of(rates, drop.npc_id);
      // The original of a copied loottable; an empty cell when it was not copied.
      const std::string copied_from =
          drop.loottable_copied_from ? std::to_string(drop.loottable_copied_from) : "";
      // Six significant digits, as every CSV and table shows a fraction; JSON keeps them all.
      // The target is empty where drop_target gives none; items per hour where unknown.
      const std::optional<double> aimed = drop_target(plan, drop);
      const std::string target = aimed ? fmt::format("{:.6g}", *aimed) : "";
      const std::string per_hour =
          change.items_per_hour_new ? fmt::format("{:.6g}", *change.items_per_hour_new) : "";
      out << fmt::format(",{:.6g},{:.6g},{},{:.6g},{:.6g},{:.6g},{},{}\r\n", drop.probability,
                         drop.chance, target, change.p_any_before, change.p_any_after,
                         change.p_new_drop, per_hour, copied_from);
    }
    return;
  }
  // Written record by record, so that a large plan never stands whole in memory as JSON.
  out << "[";
  bool first = true;
  for (const loot::PlannedDrop& drop : plan.drops) {
    const loot::NpcFacts& npc = facts_of(details, drop.npc_id);
    nlohmann::ordered_json record = {{"time", time},
                                     {"seed", seed},
                                     {"npc_id", drop.npc_id},
                                     {"npc_name", npc.name},
                                     {"npc_level", npc.level},
                                     {"loottable_id", drop.loottable_id},
                                     {"lootdrop_id", drop.lootdrop_id},
                                     {"lootdrop_name", plan.drop_name},
                                     {"item_ids", drop.item_ids},
                                     {"item_names", nlohmann::json::array()}};
    for (const std::int32_t item : drop.item_ids) {
      record["item_names"].push_back(item_name(details, item));
    }
    add_drop_values(record, plan, drop, rates);
    record["loottable_copied_from"] = nullptr;
    if (drop.loottable_copied_from) record["loottable_copied_from"] = drop.loottable_copied_from;
    out << (first ? "\n" : ",\n") << json_text(record);
    first = false;
  }
  out << "\n]\n";
}

std::string utc_now() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string csv_text(const std::string& text) {
  std::string cell =
      !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos
          ? "'" + text
          : text;
  return cell.find_first_of(",\"\r\n") == std::string::npos ? cell : double_quoted(cell);
}

std::string double_quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string json_text(const nlohmann::ordered_json& value) {
  try {
    return value.dump();
  } catch (const nlohmann::json::type_error&) {
    static std::once_flag said;
    std::call_once(said, [] {
      std::fputs(
          "vandril_loot_cli: some names are no valid UTF-8; their bad bytes are shown as "
          "U+FFFD in the JSON.\n",
          stderr);
    });
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
}

void take_written_ids(loot::Plan& plan, db::Connection& connection) {
  std::vector<std::int32_t> ids;
  db::Recordset rows;
  rows.open("SELECT id FROM lootdrop WHERE name=" + db::hex_literal(plan.drop_name) + " AND id>" +
                db::sql_integer(plan.highest_lootdrop_id.value_or(0)) + " ORDER BY id",
            connection);
  for (; !rows.eof(); rows.move_next())
    ids.push_back(rows.field(std::size_t{0}).as<std::int32_t>().value_or(0));
  if (ids.size() < plan.drops.size()) plan.drops.resize(ids.size());  // the run stopped early
  for (std::size_t i = 0; i < plan.drops.size(); ++i) plan.drops[i].lootdrop_id = ids[i];
}

}  // namespace vl::app
