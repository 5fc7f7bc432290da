#include "loot/plan_fit.h"

#include <algorithm>
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

void check_highest(const char* query, const std::string& table, std::optional<std::int64_t> planned,
                   db::Connection& connection, std::vector<std::string>& misfits) {
  const db::Value highest = highest_id(query, connection);
  if (!highest_id_unchanged(highest, planned))
    misfits.push_back("the " + highest_id_changed(table, highest, planned));
}

// The reads that keep what they saw until the transaction ends: NPC rows
// exclusively (the run moves some of them), the rest shared.
struct Locks {
  const char* npcs;
  const char* others;
};
Locks locks_of(bool locking) {
  return locking ? Locks{" FOR UPDATE", " LOCK IN SHARE MODE"} : Locks{"", ""};
}

struct NpcNow {
  std::optional<std::int64_t> level;
  std::int64_t loottable = 0;
};

// Each of `npcs` that exists, with its level and loottable.
std::map<std::int64_t, NpcNow> npcs_now(const std::set<std::int64_t>& npcs, const Locks& locks,
                                        db::Connection& connection) {
  std::map<std::int64_t, NpcNow> now;
  for_each_row_of(connection, npcs, "SELECT id,level,loottable_id FROM npc_types WHERE id IN ",
                  locks.npcs, [&](db::Recordset& rows) {
                    now[rows.field("id").as<std::int64_t>().value_or(0)] = {
                        rows.field("level").as<std::int64_t>(),
                        rows.field("loottable_id").as<std::int64_t>().value_or(0)};
                  });
  return now;
}

// An NPC the plan gives a drop or moves to a copy: it exists, has `loottable`
// and a level of the range (an NPC without a level is outside every range).
void check_npc(std::int64_t npc, std::int64_t loottable, const std::map<std::int64_t, NpcNow>& now,
               const PlanRules& rules, std::vector<std::string>& misfits) {
  const auto found = now.find(npc);
  if (found == now.end()) {
    misfits.push_back("NPC " + std::to_string(npc) + " no longer exists");
    return;
  }
  if (found->second.loottable != loottable)
    misfits.push_back(npc_has(npc, found->second.loottable, loottable));
  const std::optional<std::int64_t> level = found->second.level;
  if (!level || *level < rules.level_low || *level > rules.level_high) {
    misfits.push_back("NPC " + std::to_string(npc) + " has level " +
                      (level ? std::to_string(*level) : "NULL") + ", outside the plan's levels " +
                      rules.levels);
  }
}

// Every planned item exists and, unless the items came from a custom list
// (which may name items missing when planned), is of the category's item types.
void check_items(const Plan& plan, const PlanRules& rules, const Locks& locks,
                 db::Connection& connection, std::vector<std::string>& misfits) {
  std::set<std::int64_t> items;
  for (const PlannedDrop& drop : plan.drops)
    items.insert(drop.item_ids.begin(), drop.item_ids.end());
  std::map<std::int64_t, std::optional<std::int64_t>> itemtype_of;
  for_each_row_of(connection, items, "SELECT id,itemtype FROM items WHERE id IN ", locks.others,
                  [&](db::Recordset& rows) {
                    itemtype_of[rows.field("id").as<std::int64_t>().value_or(0)] =
                        rows.field("itemtype").as<std::int64_t>();
                  });
  const bool from_list = rules.itemtypes.empty();
  for (const std::int64_t item : items) {
    const std::string id = std::to_string(item);
    const auto found = itemtype_of.find(item);
    if (found == itemtype_of.end()) {
      if (!from_list || !rules.missing_items.contains(static_cast<std::int32_t>(item)))
        misfits.push_back("item " + id + " no longer exists");
    } else if (!from_list && std::find(rules.itemtypes.begin(), rules.itemtypes.end(),
                                       found->second) == rules.itemtypes.end()) {
      misfits.push_back("item " + id + " has item type " +
                        (found->second ? std::to_string(*found->second) : "NULL") +
                        ", which is not of the category " + rules.category);
    }
  }
}

// The copies rely on the range's NPCs that use each original (those the plan
// moves, no other) and on which chosen loottables NPCs outside the range use.
// The chosen NPCs themselves are checked with their drops.
void check_copies(const Plan& plan, const PlanRules& rules, const Locks& locks,
                  db::Connection& connection, std::vector<std::string>& misfits) {
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
  const auto now = npcs_now(others, locks, connection);
  for (const std::int64_t npc : others) check_npc(npc, moved[npc], now, rules, misfits);
  for_each_row_of(
      connection, originals, npc_query(plan.level_low, plan.level_high) + " AND loottable_id IN ",
      std::string(" ORDER BY id") + locks.npcs, [&](db::Recordset& rows) {
        const std::int64_t npc = rows.field("id").as<std::int64_t>().value_or(0);
        if (!moved.contains(npc)) {
          misfits.push_back("NPC " + std::to_string(npc) + " of the range has loottable " +
                            rows.field("loottable_id").text() +
                            ", which the plan copies without it");
        }
      });
  std::set<std::int64_t> loottables;
  for (const PlannedDrop& drop : plan.drops) loottables.insert(drop.original_loottable());
  const auto shared = shared_outside(plan, loottables, connection, locks.npcs);
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

bool highest_id_unchanged(const db::Value& now, std::optional<std::int64_t> planned) {
  return now.is_null() ? !planned : planned && now.as<std::int64_t>() == planned;
}

std::string highest_id_changed(const std::string& table, const db::Value& now,
                               std::optional<std::int64_t> planned) {
  // A value that is no 64-bit whole number is shown as the server wrote it.
  return "highest " + table + " id is " + (now.is_null() ? "none" : now.text()) + ", not " +
         shown_highest_id(planned) + " as planned";
}

std::vector<std::string> plan_misfits(const Plan& plan, const PlanRules& rules,
                                      db::Connection& connection) {
  std::vector<std::string> misfits;
  check_highest(kHighestLootdropQuery, "lootdrop", plan.highest_lootdrop_id, connection, misfits);
  if (!plan.copies.empty()) {
    check_highest(kHighestLoottableQuery, "loottable", plan.highest_loottable_id, connection,
                  misfits);
  }
  for (std::string& misfit : world_misfits(plan, rules, connection, false))
    misfits.push_back(std::move(misfit));
  return misfits;
}

std::vector<std::string> world_misfits(const Plan& plan, const PlanRules& rules,
                                       db::Connection& connection, bool locking) {
  const Locks locks = locks_of(locking);
  std::vector<std::string> misfits;
  std::set<std::int64_t> chosen;
  for (const PlannedDrop& drop : plan.drops) chosen.insert(drop.npc_id);
  const auto now = npcs_now(chosen, locks, connection);
  for (const PlannedDrop& drop : plan.drops)
    check_npc(drop.npc_id, drop.original_loottable(), now, rules, misfits);
  if (plan.isolate_shared) check_copies(plan, rules, locks, connection, misfits);
  check_items(plan, rules, locks, connection, misfits);
  return misfits;
}

}  // namespace vl::loot
