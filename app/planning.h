#pragma once
// A plan made from the settings and a seed, the same for the Preview and the
// command line: the plan, or why there is none (nothing was written).

#include <cstdint>
#include <optional>
#include <string>

#include "db/odbc.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"

namespace vl::app {

struct Planned {
  std::optional<loot::Plan> plan;
  std::string message;  // why there is no plan, as the engine words it
};

// Plans the run of `inputs` with the generator pinned to `seed`, reading the
// world over `connection`.
Planned plan_with_seed(loot::FixedInputs& inputs, db::Connection& connection, std::uint64_t seed);

}  // namespace vl::app
