#pragma once
// The generation run's pass over the NPCs of the range that leaves each
// loottable to one NPC.

#include <cstdint>
#include <vector>

namespace vl::loot {

// An NPC of the range; loottable 0 means it cannot be chosen.
struct Npc {
  std::int64_t loottable = 0;
  std::int64_t id = 0;  // 0 where the world has none (NULL)
};

// Every loottable keeps only the first NPC that holds it; the others get 0.
// Linear in the number of NPCs.
void keep_one_npc_per_loottable(std::vector<Npc>& npcs);

}  // namespace vl::loot
