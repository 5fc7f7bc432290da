#pragma once
// One NPC of a generate run's walk: its percent roll and, when it is chosen,
// the draw of its drop's items. The window's run and the plan both take each
// NPC through this one step, so the plan draws what the run will.

#include <cstdint>
#include <functional>
#include <span>

#include "core/random.h"
#include "loot/draws.h"

namespace vl::loot {

// What a chosen NPC's drop is drawn from and into, read only once it is chosen.
struct DropToFill {
  CandidatePool& pool;
  int items = 0;
  std::span<std::int32_t> out;  // receives items ids
};

// Rolls 1..100 for the NPC; it is chosen when the roll is below percent_of_npcs
// and it holds a loottable (not 0). A chosen NPC's items are then drawn, after
// re-seeding from the time of day (nothing when the generator is pinned).
// Throws RunStopped when the pool cannot fill the drop. Returns whether chosen.
bool npc_step(Random& random, int percent_of_npcs, std::int64_t loottable,
              const std::function<DropToFill()>& drop);

}  // namespace vl::loot
