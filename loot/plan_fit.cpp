#include "loot/plan_fit.h"

#include <map>

#include "loot/draws.h"
#include "loot/plan_details.h"
#include "loot/run_rules.h"
#include "loot/shared_copies.h"

namespace vl::loot {
namespace {

std::string npc_has(std::int64_t npc, std::int64_t loottable, std::int64_t planned) {
  return "NPC " + std::to_string(npc) + " has loottable " + std::to_string(loottable) + ", not " +
         std::to_string(planned) + " as planned";
}

void check_highest(const char* query, const std::string& table, const std::string& planned,
                   db::Connection& connection, std::vector<std::string>& misfits) {
  const std::string highest = highest_id(query, connection);
  if (highest != planned) misfits.push_back("the " + highest_id_changed(table, highest, planned));
}

// The copies rely on the range's NPCs that use each original (those the plan
// moves, no other) and on which chosen loottables NPCs outside the range use.
// The chosen NPCs themselves are checked with their drops.
void check_copies(const Plan& plan, db::Connection& connection, std::vector<std::string>& misfits) {
  std::map<std::int64_t, std::int64_t> moved;  // NPC -> the original it has
  std::set<std::int64_t> chosen, originals, others;
  for (const PlannedDrop& drop : plan.drops) chosen.insert(drop.npc_id);
  for (const LoottableCopy& copy : plan.copies) {
    originals.insert(copy.original_id);
    for (const std::int64_t npc : copy.moved_npcs) {
      moved[npc] = copy.original_id;
      if (!chosen.contains(npc)) others.insert(npc);
    }
  }
  std::map<std::int64_t, std::int64_t> now;
  for_each_row_of(connection, others, "SELECT id,loottable_id FROM npc_types WHERE id IN ", "",
                  [&](db::Recordset& rows) {
                    now[whole_value(rows.field("id")).value_or(0)] =
                        whole_value(rows.field("loottable_id")).value_or(0);
                  });
  for (const std::int64_t npc : others) {
    if (!now.contains(npc))
      misfits.push_back("NPC " + std::to_string(npc) + " no longer exists");
    else if (now[npc] != moved[npc])
      misfits.push_back(npc_has(npc, now[npc], moved[npc]));
  }
  for_each_row_of(
      connection, originals, npc_query(plan.level_low, plan.level_high) + " AND loottable_id IN ",
      " ORDER BY id", [&](db::Recordset& rows) {
        const std::int64_t npc = whole_value(rows.field("id")).value_or(0);
        if (!moved.contains(npc)) {
          misfits.push_back("NPC " + std::to_string(npc) + " of the range has loottable " +
                            rows.field("loottable_id").text() +
                            ", which the plan copies without it");
        }
      });
  std::set<std::int64_t> loottables;
  for (const PlannedDrop& drop : plan.drops) loottables.insert(drop.original_loottable());
  const auto shared = shared_outside(plan, loottables, connection);
  for (const std::int64_t loottable : loottables) {
    const std::string id = std::to_string(loottable);
    if (shared.contains(loottable) && !originals.contains(loottable)) {
      misfits.push_back("loottable " + id + " is used by " + std::to_string(shared.at(loottable)) +
                        " NPC(s) outside the range now; the plan does not copy it");
    } else if (!shared.contains(loottable) && originals.contains(loottable)) {
      misfits.push_back("loottable " + id +
                        " is no longer used by NPCs outside the range; the plan copies it");
    }
  }
}

}  // namespace

std::string highest_id_changed(const std::string& table, const std::string& now,
                               const std::string& planned) {
  const auto shown = [](const std::string& id) { return id.empty() ? "none" : id; };
  return "highest " + table + " id is " + shown(now) + ", not " + shown(planned) + " as planned";
}

std::vector<std::string> plan_misfits(const Plan& plan, const std::set<std::int32_t>& missing_items,
                                      db::Connection& connection) {
  std::vector<std::string> misfits;
  check_highest(kHighestLootdropQuery, "lootdrop", plan.highest_lootdrop_id, connection, misfits);
  if (!plan.copies.empty()) {
    check_highest(kHighestLoottableQuery, "loottable", plan.highest_loottable_id, connection,
                  misfits);
  }
  const PlanDetails now = plan_details(plan, connection);
  std::set<std::int32_t> gone;
  for (const PlannedDrop& drop : plan.drops) {
    const auto npc = now.npcs.find(drop.npc_id);
    if (npc == now.npcs.end()) {
      misfits.push_back("NPC " + std::to_string(drop.npc_id) + " no longer exists");
    } else if (npc->second.loottable_id != drop.original_loottable()) {
      misfits.push_back(npc_has(drop.npc_id, npc->second.loottable_id, drop.original_loottable()));
    }
    for (const std::int32_t item : drop.item_ids) {
      if (!now.items.contains(item) && !missing_items.contains(item)) gone.insert(item);
    }
  }
  if (plan.isolate_shared) check_copies(plan, connection, misfits);
  for (const std::int32_t item : gone)
    misfits.push_back("item " + std::to_string(item) + " no longer exists");
  return misfits;
}

}  // namespace vl::loot
