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
// that did not exist when planned) must exist. Reads only. Throws db::Error.
std::vector<std::string> plan_misfits(const Plan& plan, const std::set<std::int32_t>& missing_items,
                                      db::Connection& connection);

}  // namespace vl::loot
