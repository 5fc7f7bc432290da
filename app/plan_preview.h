#pragma once
// A plan shown before it is written (generate --dry-run): each chosen NPC with
// its drop and items, the totals, the loottables NPCs outside the range share,
// and a word on the planned ids. Written as it goes: a large plan never stands
// whole in memory as text.

#include <ostream>

#include "app/dry_run_text.h"
#include "loot/plan.h"
#include "loot/plan_details.h"

namespace vl::app {

// `shown`: how the shell shows a name read from the world.
void write_plan_preview(std::ostream& out, const loot::Plan& plan, const loot::PlanDetails& details,
                        const ShownName& shown);

}  // namespace vl::app
