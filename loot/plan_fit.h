#pragma once
// Whether the world still fits a plan made earlier: what the plan relied on,
// read again before it is written, and once more inside the writing
// transaction with locking reads, so that nobody changes it in between.

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "db/odbc.h"
#include "loot/plan.h"

namespace vl::loot {

// What a plan's items and NPCs must be by its settings, as the reader of a
// plan file derives them: never taken from the plan's own rows.
struct PlanRules {
  int level_low = 0, level_high = 0;  // the range, from the known level ranges
  std::string levels;                 // its entry, "01-10", for the messages
  // The category's item types when the items came from the item query; none
  // for a custom list (whose items the reader checks against the list itself).
  std::span<const std::int16_t> itemtypes;
  std::string category;                  // its name, for the messages
  std::set<std::int32_t> missing_items;  // list items that did not exist when planned
};

// What changed since `plan` was made, or breaks `rules`, one line each; none
// when the world still fits it: the highest lootdrop id, and world_misfits.
// Reads only. Throws db::Error.
std::vector<std::string> plan_misfits(const Plan& plan, const PlanRules& rules,
                                      db::Connection& connection);

// The same without the highest ids: each chosen NPC (it exists, has the
// planned loottable and a level of the range), the planned items (each exists,
// but `missing_items` of a list; each of the category's item types), and with
// copies of shared loottables the NPCs they move (each has the original and a
// level of the range), the range's NPCs that use the originals (the same ones,
// no other) and which chosen loottables NPCs outside the range share.
// `locking`: inside the writing transaction, the NPC rows read FOR UPDATE and
// the items LOCK IN SHARE MODE, held until it ends. Throws db::Error.
std::vector<std::string> world_misfits(const Plan& plan, const PlanRules& rules,
                                       db::Connection& connection, bool locking);

// Whether MAX(id) gives `now` the highest id `planned` (nullopt: an empty table).
bool highest_id_unchanged(const db::Value& now, std::optional<std::int64_t> planned);

// "highest lootdrop id is 42, not 41 as planned" for `table`, an empty table
// shown as "none".
std::string highest_id_changed(const std::string& table, const db::Value& now,
                               std::optional<std::int64_t> planned);

}  // namespace vl::loot
