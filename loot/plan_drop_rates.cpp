#include "loot/plan_drop_rates.h"

#include "core/numeric_text.h"
#include "loot/drop_world.h"

namespace vl::loot {
namespace {

// What every planned drop's link holds beside its ids (see plan_sql.cpp).
LoottableEntry planned_link(const PlannedDrop& drop) {
  return {drop.lootdrop_id, 1, drop.probability, 1, 0};
}

}  // namespace

std::string plan_range_npcs(const Plan& plan) {
  return npcs_of_levels(static_cast<int>(numeric_value(plan.level_low)),
                        static_cast<int>(numeric_value(plan.level_high)));
}

DropWorld plan_range_world(const Plan& plan, db::Connection& connection) {
  return read_drop_world(connection, plan_range_npcs(plan));
}

PlanDropRates plan_drop_rates(const Plan& plan, db::Connection& connection,
                              const std::unordered_map<std::int32_t, std::string>& items) {
  return plan_drop_rates(plan, plan_range_world(plan, connection), items);
}

PlanDropRates plan_drop_rates(const Plan& plan, DropWorld world,
                              const std::unordered_map<std::int32_t, std::string>& items) {
  const int loot_multiplier = plan.aim ? plan.aim->loot_multiplier : 1;
  std::unordered_map<std::int64_t, int> levels;
  for (const WorldNpc& npc : world.npcs) levels[npc.id] = npc.level;

  PlanDropRates rates;
  for (const PlannedDrop& drop : plan.drops) {
    const std::int64_t before = drop.original_loottable();
    rates[drop.npc_id].p_any_before =
        drop_rates(world.tables, before, levels[drop.npc_id], loot_multiplier).p_any;
  }
  LootTables& tables = world.tables;
  // A copy holds its original's entries; the drop is linked into the copy.
  for (const LoottableCopy& copy : plan.copies) {
    const auto original = tables.loottables.find(copy.original_id);
    if (original == tables.loottables.end()) continue;
    std::vector<LoottableEntry> entries = original->second;
    tables.loottables[copy.copy_id] = std::move(entries);
  }
  for (const auto& [id, name] : items) tables.items.insert(id);
  for (const PlannedDrop& drop : plan.drops) {
    auto& entries = tables.lootdrops[drop.lootdrop_id];
    for (const std::int32_t item : drop.item_ids) entries.push_back({item, drop.chance, 1});
    // A loottable without its own row drops nothing, with or without the link.
    const auto table = tables.loottables.find(drop.loottable_id);
    if (table != tables.loottables.end()) table->second.push_back(planned_link(drop));
  }
  for (const PlannedDrop& drop : plan.drops) {
    DropRateChange& change = rates[drop.npc_id];
    const int level = levels[drop.npc_id];
    change.p_any_after = drop_rates(tables, drop.loottable_id, level, loot_multiplier).p_any;
    if (tables.loottables.contains(drop.loottable_id))
      change.p_new_drop = entry_p_any(tables, planned_link(drop), level, loot_multiplier);
  }
  return rates;
}

}  // namespace vl::loot
