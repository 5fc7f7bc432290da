#include "app/plan_rates.h"

#include "loot/plan_per_hour.h"
#include "loot/spawn_world.h"

namespace vl::app {
namespace {

loot::PlanDropRates with_items_per_hour(
    loot::PlanDropRates rates, const loot::Plan& plan, db::Connection& connection,
    const std::unordered_map<std::int32_t, std::string>& items) {
  if (plan.drops.empty()) return rates;
  try {
    const std::vector<double> per_hour =
        loot::drop_items_per_hour(plan, loot::read_plan_spawns(plan, connection), items);
    for (std::size_t i = 0; i < plan.drops.size(); ++i)
      rates[plan.drops[i].npc_id].items_per_hour_new = per_hour[i];
  } catch (const loot::MissingSpawnTable&) {
    // The other figures stand without the spawn tables; these stay unknown.
  }
  return rates;
}

}  // namespace

loot::PlanDropRates read_plan_rates(const loot::Plan& plan, db::Connection& connection,
                                    const loot::DropWorld* world,
                                    const std::unordered_map<std::int32_t, std::string>& items) {
  return with_items_per_hour(world ? loot::plan_drop_rates(plan, *world, items)
                                   : loot::plan_drop_rates(plan, connection, items),
                             plan, connection, items);
}

loot::PlanDropRates read_plan_rates(const loot::Plan& plan, db::Connection& connection,
                                    loot::DropWorld&& world,
                                    const std::unordered_map<std::int32_t, std::string>& items) {
  return with_items_per_hour(loot::plan_drop_rates(plan, std::move(world), items), plan, connection,
                             items);
}

std::optional<double> items_per_hour_added(const loot::Plan& plan,
                                           const loot::PlanDropRates& rates) {
  double total = 0;
  for (const loot::PlannedDrop& drop : plan.drops) {
    const auto found = rates.find(drop.npc_id);
    if (found == rates.end() || !found->second.items_per_hour_new) return std::nullopt;
    total += *found->second.items_per_hour_new;
  }
  return total;
}

}  // namespace vl::app
