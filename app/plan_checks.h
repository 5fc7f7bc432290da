#pragma once
// A plan file checked against the rules generate follows, not only against
// itself: apply writes only what generate could have planned from the file's
// settings. What needs no world is checked here, before any connection; what
// needs it (the NPCs' levels, the items' types) is derived here and checked by
// loot::plan_misfits.

#include <string>
#include <vector>

#include "app/plan_file.h"
#include "loot/plan_fit.h"

namespace vl::app {

struct PlanRulesCheck {
  std::vector<std::string> breaks;  // one sentence each; none when the plan keeps the rules
  loot::PlanRules rules;            // what the world must show (when there are no breaks)
};

// Checks `saved` against its settings: levels one of the known level ranges
// (the plan's levels then taken from that table), a known category, the drop
// name the two give, npc_percent, chance and probability as generate takes
// them, items per drop as its items setting gives, no item twice in a drop,
// one drop per loottable, every drop in a loottable, and with a custom list
// every item on it.
PlanRulesCheck check_plan_rules(SavedPlan& saved);

}  // namespace vl::app
