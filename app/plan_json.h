#pragma once
// A plan as one JSON object (generate --dry-run --format json): its summary
// first and the planned drops last, written drop by drop.

#include <ostream>

#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::app {

void write_plan_json(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details,
                     const loot::PlanDropRates& rates);

}  // namespace vl::app
