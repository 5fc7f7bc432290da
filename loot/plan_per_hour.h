#pragma once
// How many items an hour a plan's new drops bring, from the spawn tables, on
// the same upper bound as every per-hour figure (each NPC killed the moment it
// spawns). A drop is rolled by every NPC whose loottable it is linked into:
// NPCs outside the range that share the loottable roll it too, while a copy
// is rolled by the range's NPCs moved to it alone.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/odbc.h"
#include "loot/plan.h"
#include "loot/spawn_rates.h"

namespace vl::loot {

struct PlanSpawns {
  SpawnOptions options;
  // Spawns per hour of each NPC that shares a loottable with the plan's range;
  // 0 for one whose loottable has no row, as it drops nothing.
  std::unordered_map<std::int64_t, double> npcs;
  std::unordered_map<std::int64_t, double> loottables;  // the same, summed by loottable
};

// What a plan's figures assume beyond the per-hour model's own assumptions.
inline constexpr std::string_view kPlanPerHourBound =
    "every NPC killed the moment it spawns, one instance of each zone, conditional spawn points "
    "left out";

// Reads the NPCs sharing a loottable with the plan's level range and the spawn
// tables' rows of them, in a fixed number of SELECTs. Throws
// MissingSpawnTable, db::Error.
PlanSpawns read_plan_spawns(const Plan& plan, db::Connection& connection,
                            const SpawnOptions& options = {});

// The kills per hour of the NPCs that roll each of the plan's drops, in the
// plan's order.
std::vector<double> drop_kills_per_hour(const Plan& plan, const PlanSpawns& spawns);

// The items an hour each drop brings at its values, in the plan's order, with
// the global loot multiplier the plan aims with (else 1). `items` holds the
// planned items that exist (the plan's details).
std::vector<double> drop_items_per_hour(const Plan& plan, const PlanSpawns& spawns,
                                        const std::unordered_map<std::int32_t, std::string>& items);

}  // namespace vl::loot
