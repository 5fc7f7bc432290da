#include "app/plan_json.h"

#include <nlohmann/json.hpp>

#include "app/aim_text.h"
#include "app/plan_rates.h"
#include "app/plan_report.h"

namespace vl::app {
namespace {

using Json = nlohmann::ordered_json;

Json npc_json(const loot::NpcFacts& npc) {
  return {{"npc_id", npc.id}, {"npc_name", npc.name}, {"npc_level", npc.level}};
}

// The chosen NPCs' chances per kill, as fractions; null when no NPC is chosen.
Json drop_rates_json(const loot::Plan& plan, const loot::PlanDropRates& rates) {
  if (plan.drops.empty()) return nullptr;
  Json json;
  for (const auto& [name, figure] : {std::pair{"before", &loot::DropRateChange::p_any_before},
                                     std::pair{"after", &loot::DropRateChange::p_any_after},
                                     std::pair{"new_drop", &loot::DropRateChange::p_new_drop}}) {
    const RateSpread values = spread(plan, rates, figure);
    json[name] = {{"mean", values.mean}, {"lowest", values.lowest}, {"highest", values.highest}};
  }
  const std::optional<double> per_hour = items_per_hour_added(plan, rates);
  json["items_per_hour_new"] = per_hour ? Json(*per_hour) : Json();
  return json;
}

}  // namespace

void write_plan_json(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details,
                     const loot::PlanDropRates& rates) {
  Json missing = Json::array(), shared = Json::array();
  for (const auto& [item, drops] : loot::missing_items(plan, details))
    missing.push_back({{"item_id", item}, {"drops", drops}});
  for (const loot::SharedLoottable& table : details.shared) {
    Json examples = Json::array();
    for (const loot::NpcFacts& npc : table.examples) examples.push_back(npc_json(npc));
    shared.push_back({{"loottable_id", table.loottable_id},
                      {"outside_npcs", table.outside_npcs},
                      {"examples", examples}});
  }
  Json summary = {
      {"drop_name", plan.drop_name},
      {"highest_lootdrop_id", plan.highest_lootdrop_id ? Json(*plan.highest_lootdrop_id) : Json()},
      {"npcs_in_range", plan.npcs_in_range},
      {"npcs_keeping_loottable", plan.npcs_keeping_loottable},
      {"chosen", plan.drops.size()},
      {"drops", plan.drops.size()},
      {"entries", plan.entries()},
      {"missing_items", missing},
      {"shared_loottables", shared},
      {"drop_rates", drop_rates_json(plan, rates)},
      {"aim", aim_summary_json(plan)},
      {"left_alone", left_alone_json(plan)}};
  // Written drop by drop, so that a large plan never stands whole in memory as JSON.
  std::string head = json_text(summary);
  head.pop_back();
  out << head << R"(,"planned":[)";
  bool first = true;
  for (const loot::PlannedDrop& drop : plan.drops) {
    Json record = npc_json(loot::facts_of(details, drop.npc_id));
    record["npc_id"] = drop.npc_id;
    record["loottable_id"] = drop.loottable_id;
    record["lootdrop_id"] = drop.lootdrop_id;
    Json items = Json::array();
    for (const std::int32_t item : drop.item_ids)
      items.push_back({{"item_id", item}, {"item_name", loot::item_name(details, item)}});
    record["items"] = items;
    add_drop_values(record, plan, drop, rates);
    out << (first ? "" : ",") << json_text(record);
    first = false;
  }
  out << "]}\n";
}

}  // namespace vl::app
