#pragma once
// A plan made from the settings and a seed, the same for the Preview and the
// command line: the plan, or why there is none (nothing was written).

#include <cstdint>
#include <optional>
#include <string>

#include "app/plan_file.h"
#include "db/odbc.h"
#include "journal/run_settings.h"
#include "loot/drop_world.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_details.h"

namespace vl::app {

struct Planned {
  std::optional<loot::Plan> plan;
  std::string message;  // why there is no plan, as the engine words it
  // The loot of the plan's range, when solving an aim read it: the drop rates
  // of the plan are computed over it without reading it again.
  std::optional<loot::DropWorld> world;
};

// Plans the run of `inputs` with the generator pinned to `seed`, reading the
// world over `connection`; with `aim`, solves the drops' values for it
// (loot/plan_aims.h) over the loot of the range as read then.
Planned plan_with_seed(loot::FixedInputs& inputs, db::Connection& connection, std::uint64_t seed,
                       const std::optional<loot::RunAim>& aim = std::nullopt);

// `plan` as a plan file keeps it: with its `settings`, a custom list's distinct
// items (so that apply can check the drops against them) and the planned items
// the world lacks, as `details` found them.
SavedPlan saved_plan_of(const loot::Plan& plan, journal::GenerationSettings settings,
                        const loot::FixedInputs& inputs, const loot::PlanDetails& details);

}  // namespace vl::app
