#pragma once
// What a plan's reader wants to know beside the ids: the chosen NPCs' names
// and levels, the items' names, and the loottables that NPCs outside the
// range share with chosen ones (those NPCs would receive the drops too).
// Read-only lookups, a few statements for any size of plan.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/odbc.h"
#include "loot/plan.h"

namespace vl::loot {

struct NpcFacts {
  std::int64_t id = 0;
  std::string name;
  std::int64_t level = 0;
  std::int64_t loottable_id = 0;
};

struct SharedLoottable {
  std::int64_t loottable_id = 0;
  std::size_t outside_npcs = 0;    // NPCs outside the range that use it
  std::vector<NpcFacts> examples;  // the first kSharedExamples of them, by id
};

inline constexpr std::size_t kSharedExamples = 10;

struct PlanDetails {
  std::unordered_map<std::int64_t, NpcFacts> npcs;      // the chosen NPCs
  std::unordered_map<std::int32_t, std::string> items;  // every planned item
  std::vector<SharedLoottable> shared;                  // by loottable id
};

// The condition an NPC outside the plan's range meets: every NPC whose level is
// not from level_low to level_high, one without a level included.
std::string outside_the_range(const Plan& plan);

// Runs `head` + "(id,id,...)" + `tail` for the ids in batches of a few
// thousand, calling `row` for every row. Throws db::Error.
void for_each_row_of(db::Connection& connection, const std::set<std::int64_t>& ids,
                     const std::string& head, const std::string& tail,
                     const std::function<void(db::Recordset&)>& row);

// The planned items that exist, with their names. Throws db::Error.
std::unordered_map<std::int32_t, std::string> planned_items(const Plan& plan,
                                                            db::Connection& connection);

// Looks up the details of `plan` over `connection`. Throws db::Error.
PlanDetails plan_details(const Plan& plan, db::Connection& connection);

// What the details know of an NPC (nothing known: empty facts), and an item's
// name ("" when the item does not exist).
const NpcFacts& facts_of(const PlanDetails& details, std::int64_t npc_id);
std::string item_name(const PlanDetails& details, std::int32_t id);

// The planned items that do not exist in items, each with the number of drops it is in.
std::map<std::int32_t, std::size_t> missing_items(const Plan& plan, const PlanDetails& details);

}  // namespace vl::loot
