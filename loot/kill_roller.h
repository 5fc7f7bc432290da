#pragma once
// Single kills of an NPC rolled by the same rules as the closed forms of
// drop_rates.h: for sampling, and to check one against the other.

#include <cstdint>
#include <random>
#include <vector>

#include "loot/drop_rates.h"
#include "loot/lootdrop_roll.h"

namespace vl::loot {

class KillRoller {
 public:
  // The rows are read here once; `tables` must outlive the roller.
  KillRoller(const LootTables& tables, std::int64_t loottable_id, int npc_level,
             int loot_multiplier);

  // One kill: `drops` is cleared, then holds one item id per copy dropped.
  void roll(std::mt19937_64& random, std::vector<std::int64_t>& drops) const;

 private:
  struct Pass {
    double probability = 0;  // of each pass, 0 to 1
    int passes = 0;
    LootdropRoll lootdrop;
    std::vector<double> cumulative;  // of the eligible entries' chances, for a pick
  };
  void roll_lootdrop(const Pass& pass, std::mt19937_64& random,
                     std::vector<std::int64_t>& drops) const;

  std::vector<Pass> passes_;
};

}  // namespace vl::loot
