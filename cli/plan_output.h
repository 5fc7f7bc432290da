#pragma once
// How the command line shows a plan: the preview on standard output, written
// as it goes; the report file is written as the window writes it.

#include <cstdint>
#include <ostream>
#include <string>

#include "app/plan_report.h"
#include "cli/options.h"
#include "loot/plan.h"
#include "loot/plan_details.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

// The preview: each chosen NPC with its drop and items, the totals, the
// planned items that do not exist in items (in one line), the loottables NPCs
// outside the range share, and a word on planned ids.
void print_plan(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details);

using app::utc_now;
using app::write_report;

}  // namespace vl::cli
