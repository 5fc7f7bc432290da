#include "loot/npc_step.h"

#include <cmath>

#include "loot/run_rules.h"

namespace vl::loot {

bool npc_step(Random& random, int percent_of_npcs, std::int64_t loottable,
              const std::function<DropToFill()>& drop) {
  const int roll = static_cast<int>(std::floor(static_cast<double>(random.next()) * 100)) + 1;
  if (roll >= percent_of_npcs || loottable == 0) return false;
  // Items per drop or the candidates may have changed while events went through.
  const DropToFill fill = drop();
  if (auto problem = draw_problem(fill.pool, fill.items)) {
    throw RunStopped{*problem + kStoppedMidRun};
  }
  random.reseed_from_time();
  draw_distinct_ids(fill.pool, fill.items, random, fill.out);
  return true;
}

}  // namespace vl::loot
