#include "loot/plan_aims.h"

#include <algorithm>
#include <unordered_set>

#include "loot/plan_per_hour.h"
#include "loot/shared_copies.h"

namespace vl::loot {
namespace {

void take_values(PlannedDrop& drop, const AimedDrop& aimed) {
  drop.probability = aimed.probability;
  drop.chance = aimed.chance;
  drop.aimed = aimed;
}

// Drops the copies no drop is linked into any more, then numbers the drops
// and the copies again from the highest ids read when planning.
void close_gaps(Plan& plan) {
  std::unordered_set<std::int64_t> linked;
  for (const PlannedDrop& drop : plan.drops)
    if (drop.loottable_copied_from != 0) linked.insert(drop.loottable_id);
  std::erase_if(plan.copies,
                [&](const LoottableCopy& copy) { return !linked.contains(copy.copy_id); });
  renumber_drops(plan, plan.highest_lootdrop_id);
  if (plan.isolate_shared) renumber_copies(plan, plan.highest_loottable_id);
}

}  // namespace

CustomDrop custom_drop_of(const PlannedDrop& drop, int loot_multiplier,
                          const std::unordered_map<std::int32_t, std::string>& items) {
  const auto exists = [&](std::int32_t item) { return items.contains(item); };
  return {
      .items = static_cast<int>(std::count_if(drop.item_ids.begin(), drop.item_ids.end(), exists)),
      .chance = drop.chance,
      .loot_multiplier = loot_multiplier};
}

void aim_plan(Plan& plan, const RunAim& aim, const DropWorld& world,
              const std::unordered_map<std::int32_t, std::string>& items,
              ProbabilityColumn column) {
  if (!(aim.per_kill() && aim.percent > 0 && aim.percent <= 100) || aim.loot_multiplier < 1)
    throw std::invalid_argument("an aim lies above 0 and at most 100 percent, its G at least 1");
  plan.aim = aim;
  if (aim.kind == RunAim::Kind::new_drop) {
    for (PlannedDrop& drop : plan.drops)
      if (const auto aimed =
              aim_drop_rate(aim.rate(), custom_drop_of(drop, aim.loot_multiplier, items), column))
        take_values(drop, *aimed);
    return;
  }
  std::unordered_map<std::int64_t, int> levels;
  for (const WorldNpc& npc : world.npcs) levels[npc.id] = npc.level;
  std::vector<PlannedDrop> kept;
  kept.reserve(plan.drops.size());
  for (PlannedDrop& drop : plan.drops) {
    const std::optional<NpcAim> solved =
        aim_npc_rate(aim.rate(), world.tables, drop.original_loottable(), levels[drop.npc_id],
                     custom_drop_of(drop, aim.loot_multiplier, items), column);
    if (!solved) {
      plan.left_alone.push_back({drop.npc_id, std::nullopt});
    } else if (const auto* at_aim = std::get_if<AlreadyAtAim>(&*solved)) {
      plan.left_alone.push_back({drop.npc_id, at_aim->p_any});
    } else {
      take_values(drop, std::get<AimedDrop>(*solved));
      kept.push_back(std::move(drop));
    }
  }
  if (kept.size() == plan.drops.size()) return;
  plan.drops = std::move(kept);
  close_gaps(plan);
}

void aim_plan_per_hour(Plan& plan, const RunAim& aim, const PlanSpawns& spawns,
                       const std::unordered_map<std::int32_t, std::string>& items,
                       ProbabilityColumn column) {
  if (aim.per_kill() || aim.loot_multiplier < 1)
    throw std::invalid_argument("an aim of items per hour is needed, its G at least 1");
  plan.aim = aim;
  if (plan.drops.empty()) return;
  const std::vector<double> kills = drop_kills_per_hour(plan, spawns);
  std::vector<HourlyDrop> hourly;
  hourly.reserve(plan.drops.size());
  for (std::size_t i = 0; i < plan.drops.size(); ++i)
    hourly.push_back({custom_drop_of(plan.drops[i], aim.loot_multiplier, items), kills[i]});
  const HourlyAim solved = aim_items_per_hour(aim.items_per_hour, hourly, column);
  for (std::size_t i = 0; i < plan.drops.size(); ++i) {
    CustomDrop written = hourly[i].drop;
    written.chance = solved.chance;
    // A drop none of whose items exists keeps the settings' values, as for the other aims.
    if (written.items == 0) continue;
    const double rate = custom_drop_rate(written, solved.probability);
    take_values(plan.drops[i], {.probability = solved.probability,
                                .chance = solved.chance,
                                .chance_raised = solved.chance_raised,
                                .drop_rate = rate,
                                .achieved = rate});
  }
}

AimSummary aim_summary(const Plan& plan) {
  AimSummary summary;
  for (const PlannedDrop& drop : plan.drops) {
    if (drop.aimed)
      summary.add(*drop.aimed);
    else
      ++summary.cannot_drop;
  }
  for (const LeftAlone& npc : plan.left_alone) {
    if (npc.p_any)
      ++summary.already_at_aim;
    else
      ++summary.cannot_drop;
  }
  return summary;
}

}  // namespace vl::loot
