#include "app/per_hour_text.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "app/plan_report.h"
#include "app/simulation_summary.h"
#include "app/world_reports.h"

namespace vl::app {
namespace {

constexpr std::size_t kDeadPointsShown = 10;

std::string dead_points_line(const std::vector<std::int64_t>& ids) {
  std::string line = ids.size() == 1 ? "Spawn point " : "Spawn points ";
  for (std::size_t n = 0; n < ids.size() && n < kDeadPointsShown; ++n)
    line += fmt::format("{}{}", n == 0 ? "" : ", ", ids[n]);
  if (ids.size() > kDeadPointsShown)
    line += fmt::format(" and {} more", ids.size() - kDeadPointsShown);
  return line +
         (ids.size() == 1 ? " never spawns: its variance is" : " never spawn: their variance is") +
         " over twice the respawn time, so the server's timer can wrap to weeks.\n";
}

}  // namespace

std::string npc_per_hour_text(const loot::NpcSimulation& row) {
  return fmt::format("; {} spawn point{}, {} spawns per hour, {} items per hour", row.spawns.points,
                     row.spawns.points == 1 ? "" : "s", fraction_text(row.spawns.per_hour),
                     fraction_text(row.items_per_hour));
}

std::string npc_per_hour_csv(const loot::NpcSimulation& row) {
  return fmt::format(",{},{},{}", row.spawns.points, fraction_text(row.spawns.per_hour),
                     fraction_text(row.items_per_hour));
}

std::string npc_per_hour_json(const loot::NpcSimulation& row) {
  return fmt::format(R"(,"spawn_points":{},"spawns_per_hour":{},"items_per_hour":{})",
                     row.spawns.points, row.spawns.per_hour, row.items_per_hour);
}

std::string per_hour_footer(const loot::Simulation& simulation, const loot::PerHour& per_hour) {
  const int instances = per_hour.options.instances;
  std::string footer = fmt::format(
      "Items per hour: {} from {} spawns per hour of {} NPC{} ({} instance{} of each zone).\n",
      fraction_text(per_hour.items), fraction_text(per_hour.spawns), simulation.npcs.size(),
      simulation.npcs.size() == 1 ? "" : "s", instances, instances == 1 ? "" : "s");
  if (per_hour.never_spawn > 0) {
    footer +=
        fmt::format("{} NPC{} of the range never spawn{}.\n", per_hour.never_spawn,
                    per_hour.never_spawn == 1 ? "" : "s", per_hour.never_spawn == 1 ? "s" : "");
  }
  if (per_hour.conditional_points > 0) {
    footer += fmt::format(
        "{} spawn point{} waiting on a condition left out (--with-conditional counts them).\n",
        per_hour.conditional_points, per_hour.conditional_points == 1 ? "" : "s");
  }
  if (!per_hour.dead_points.empty()) footer += dead_points_line(per_hour.dead_points);
  return footer;
}

std::string per_hour_totals_json(const loot::Simulation& simulation,
                                 const loot::PerHour& per_hour) {
  std::string dead;
  for (const std::int64_t id : per_hour.dead_points)
    dead += fmt::format("{}{}", dead.empty() ? "" : ",", id);
  return fmt::format(
      R"("totals":{{"npcs":{},"never_spawn":{},"spawns_per_hour":{},"items_per_hour":{},)"
      R"("instances":{},"with_conditional":{},"conditional_points":{},"inactive_points":{},)"
      R"("dead_points":[{}]}})",
      simulation.npcs.size(), per_hour.never_spawn, per_hour.spawns, per_hour.items,
      per_hour.options.instances, per_hour.options.with_conditional, per_hour.conditional_points,
      per_hour.inactive_points, dead);
}

void write_items_per_hour(std::ostream& out, const loot::Simulation& simulation, Format format) {
  const loot::PerHour& per_hour = *simulation.per_hour;
  if (format == Format::json) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const loot::HourlyItem& item : per_hour.by_item) {
      items.push_back({{"item_id", item.item_id},
                       {"item_name", simulation.item_name(item.item_id)},
                       {"items_per_hour", item.per_hour}});
    }
    out << R"({"by_item":)" << json_text(items) << "," << per_hour_totals_json(simulation, per_hour)
        << "}\n";
    return;
  }
  if (format == Format::csv) out << "item_id,item_name,items_per_hour\n";
  for (const loot::HourlyItem& item : per_hour.by_item) {
    const std::string& name = simulation.item_name(item.item_id);
    out << (format == Format::csv ? fmt::format("{},{},{}\n", item.item_id, csv_text(name),
                                                fraction_text(item.per_hour))
                                  : fmt::format("item {} {}: {} per hour\n", item.item_id,
                                                terminal_text(name), fraction_text(item.per_hour)));
  }
  if (format == Format::table && per_hour.by_item.empty()) out << "No item comes per hour.\n";
}

std::string per_hour_note() {
  std::string note = "Per hour, assumed:\n";
  for (const std::string_view assumption : loot::kSpawnAssumptions)
    note += fmt::format("- {}\n", assumption);
  return note;
}

}  // namespace vl::app
