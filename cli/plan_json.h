#pragma once
// generate --dry-run --format json: the plan as one JSON object on standard
// output, its summary first and the planned drops last, written drop by drop.

#include <ostream>

#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

void write_plan_json(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details,
                     const loot::PlanDropRates& rates);

}  // namespace vl::cli
