#pragma once
// What a plan changes for the players: for each chosen NPC, its chance of at
// least one item per kill before and after the plan's rows are written, and
// the chance per kill that its new drop gives an item. "After" is the world
// read now plus the planned rows as values; nothing is written.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "db/odbc.h"
#include "loot/drop_world.h"
#include "loot/plan.h"

namespace vl::loot {

struct DropRateChange {
  double p_any_before = 0;
  double p_any_after = 0;
  double p_new_drop = 0;
  // Items an hour the new drop brings (loot/plan_per_hour.h); unknown where
  // the world lacks the spawn tables.
  std::optional<double> items_per_hour_new;
};

using PlanDropRates = std::unordered_map<std::int64_t, DropRateChange>;  // by NPC id

// The condition on npc_types of the plan's level range.
std::string plan_range_npcs(const Plan& plan);

// The loot of the plan's level range (read_drop_world). Throws db::Error.
DropWorld plan_range_world(const Plan& plan, db::Connection& connection);

// The change for every planned drop's NPC over the loot of the plan's level
// range, with the global loot multiplier the plan aims with (else 1). `items`
// holds the planned items that exist (the plan's details). The first reads
// the range's loot (throws db::Error); the second takes it as read.
PlanDropRates plan_drop_rates(const Plan& plan, db::Connection& connection,
                              const std::unordered_map<std::int32_t, std::string>& items);
PlanDropRates plan_drop_rates(const Plan& plan, DropWorld world,
                              const std::unordered_map<std::int32_t, std::string>& items);

}  // namespace vl::loot
