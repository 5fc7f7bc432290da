#pragma once
// Whether the world still fits a plan made earlier: what the plan relied on,
// read again before it is written.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "db/odbc.h"
#include "loot/plan.h"

namespace vl::loot {

// What changed since `plan` was made, one line each; none when the world still
// fits it: the highest lootdrop id, each chosen NPC's loottable (and the NPC
// itself), and the planned items, every one of which but `missing_items` (those
// that did not exist when planned) must exist. With copies of shared
// loottables also the highest loottable id, the range's NPCs that use the
// originals (the same ones, no other) and which chosen loottables NPCs outside
// the range share. Reads only. Throws db::Error.
std::vector<std::string> plan_misfits(const Plan& plan, const std::set<std::int32_t>& missing_items,
                                      db::Connection& connection);

// "highest lootdrop id is 42, not 41 as planned" for `table`, an empty id
// (an empty table) shown as "none".
std::string highest_id_changed(const std::string& table, const std::string& now,
                               const std::string& planned);

}  // namespace vl::loot
