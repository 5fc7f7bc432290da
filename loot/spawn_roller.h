#pragma once
// One spawn point's spawns rolled over time by the same rules as the closed
// forms of spawn_rates.h (every NPC killed the moment it spawns): to check
// one against the other.

#include <cstdint>
#include <random>
#include <vector>

#include "loot/spawn_rates.h"

namespace vl::loot {

class SpawnRoller {
 public:
  // `entries`: the point's group; those of missing NPC types are left out.
  SpawnRoller(const SpawnPoint& point, const std::vector<SpawnEntry>& entries);

  // The NPC types spawned over `seconds` of real time, one id per spawn, in order;
  // `spawned_at` gets the second of each.
  void roll(double seconds, std::mt19937_64& random, std::vector<std::int64_t>& spawned,
            std::vector<double>& spawned_at) const;

 private:
  SpawnPoint point_;
  std::vector<SpawnEntry> entries_;
};

}  // namespace vl::loot
