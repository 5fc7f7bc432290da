#include "loot/npc_pass.h"

#include <unordered_set>

namespace vl::loot {

void keep_one_npc_per_loottable(std::vector<Npc>& npcs) {
  std::unordered_set<std::int64_t> seen;
  seen.reserve(npcs.size());
  for (Npc& npc : npcs) {
    if (npc.loottable != 0 && !seen.insert(npc.loottable).second) npc.loottable = 0;
  }
}

}  // namespace vl::loot
