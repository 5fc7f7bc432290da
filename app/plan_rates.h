#pragma once
// A plan's figures for the players and the world's economy, the same for every
// review, question and report: its drop rates, and where the world has the
// spawn tables, the items an hour each new drop brings.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "db/odbc.h"
#include "loot/drop_world.h"
#include "loot/plan.h"
#include "loot/plan_drop_rates.h"

namespace vl::app {

// Over `world` (the range's loot as planning read it) or the loot read now;
// `items` holds the planned items that exist. Throws db::Error.
loot::PlanDropRates read_plan_rates(const loot::Plan& plan, db::Connection& connection,
                                    const loot::DropWorld* world,
                                    const std::unordered_map<std::int32_t, std::string>& items);
// The same over `world` taken, not copied.
loot::PlanDropRates read_plan_rates(const loot::Plan& plan, db::Connection& connection,
                                    loot::DropWorld&& world,
                                    const std::unordered_map<std::int32_t, std::string>& items);

// The items an hour all the new drops bring; unknown when a drop's is.
std::optional<double> items_per_hour_added(const loot::Plan& plan,
                                           const loot::PlanDropRates& rates);

}  // namespace vl::app
