#include "loot/plan_per_hour.h"

#include "loot/plan_aims.h"
#include "loot/plan_drop_rates.h"
#include "loot/row_values.h"
#include "loot/spawn_world.h"

namespace vl::loot {

PlanSpawns read_plan_spawns(const Plan& plan, db::Connection& connection,
                            const SpawnOptions& options) {
  const std::string sharing = "loottable_id IN (SELECT loottable_id FROM npc_types WHERE " +
                              plan_range_npcs(plan) + " AND loottable_id<>0)";
  std::unordered_map<std::int64_t, std::int64_t> loottable_of;  // of NPCs whose loottable has a row
  db::for_each_row(connection,
                   "SELECT id,loottable_id FROM npc_types WHERE " + sharing +
                       " AND loottable_id IN (SELECT id FROM loottable)",
                   [&](const Row& row) { loottable_of[whole(row, 0)] = whole(row, 1); });
  const SpawnRates rates = spawn_rates(read_spawn_world(connection, sharing), options);
  PlanSpawns spawns{.options = options, .npcs = {}, .loottables = {}};
  for (const auto& [npc, loottable] : loottable_of) {
    const double per_hour = rates.of(npc).per_hour;
    spawns.npcs[npc] = per_hour;
    spawns.loottables[loottable] += per_hour;
  }
  return spawns;
}

std::vector<double> drop_kills_per_hour(const Plan& plan, const PlanSpawns& spawns) {
  std::unordered_map<std::int64_t, const LoottableCopy*> copies;
  for (const LoottableCopy& copy : plan.copies) copies[copy.copy_id] = &copy;
  const auto of = [](const auto& map, std::int64_t key) {
    const auto found = map.find(key);
    return found == map.end() ? 0.0 : found->second;
  };
  std::vector<double> kills;
  kills.reserve(plan.drops.size());
  for (const PlannedDrop& drop : plan.drops) {
    double sum = 0;
    if (drop.loottable_copied_from != 0 && copies.contains(drop.loottable_id)) {
      for (const std::int64_t npc : copies.at(drop.loottable_id)->moved_npcs)
        sum += of(spawns.npcs, npc);
    } else {
      sum = of(spawns.loottables, drop.loottable_id);
    }
    kills.push_back(sum);
  }
  return kills;
}

std::vector<double> drop_items_per_hour(
    const Plan& plan, const PlanSpawns& spawns,
    const std::unordered_map<std::int32_t, std::string>& items) {
  const int loot_multiplier = plan.aim ? plan.aim->loot_multiplier : 1;
  std::vector<double> per_hour = drop_kills_per_hour(plan, spawns);
  for (std::size_t i = 0; i < plan.drops.size(); ++i) {
    const PlannedDrop& drop = plan.drops[i];
    per_hour[i] *=
        custom_drop_items(custom_drop_of(drop, loot_multiplier, items), drop.probability);
  }
  return per_hour;
}

}  // namespace vl::loot
