#include "loot/plan_fit.h"

#include "loot/draws.h"
#include "loot/plan_details.h"

namespace vl::loot {

std::vector<std::string> plan_misfits(const Plan& plan, const std::set<std::int32_t>& missing_items,
                                      db::Connection& connection) {
  std::vector<std::string> misfits;
  {
    db::Recordset rows;
    rows.open(kHighestLootdropQuery, connection);
    const std::string highest = rows.field(std::size_t{0}).text();
    if (highest != plan.highest_lootdrop_id) {
      const auto shown = [](const std::string& id) { return id.empty() ? "none" : id; };
      misfits.push_back("the highest lootdrop id is " + shown(highest) + ", not " +
                        shown(plan.highest_lootdrop_id) + " as planned");
    }
  }
  const PlanDetails now = plan_details(plan, connection);
  std::set<std::int32_t> gone;
  for (const PlannedDrop& drop : plan.drops) {
    const auto npc = now.npcs.find(drop.npc_id);
    if (npc == now.npcs.end()) {
      misfits.push_back("NPC " + std::to_string(drop.npc_id) + " no longer exists");
    } else if (npc->second.loottable_id != drop.loottable_id) {
      misfits.push_back("NPC " + std::to_string(drop.npc_id) + " has loottable " +
                        std::to_string(npc->second.loottable_id) + ", not " +
                        std::to_string(drop.loottable_id) + " as planned");
    }
    for (const std::int32_t item : drop.item_ids) {
      if (!now.items.contains(item) && !missing_items.contains(item)) gone.insert(item);
    }
  }
  for (const std::int32_t item : gone)
    misfits.push_back("item " + std::to_string(item) + " no longer exists");
  return misfits;
}

}  // namespace vl::loot
