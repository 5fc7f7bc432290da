#pragma once
// One roll of a lootdrop, as the game server makes it for an NPC of a given
// level with a loottable entry's droplimit and mindrop: the eligible entries
// and the numbers both the closed forms and the roller of kills start from.

#include <vector>

#include "loot/drop_rates.h"

namespace vl::loot {

// A percentage as a chance: clamp(percent / 100, 0, 1).
double chance_of(double percent);

struct LootdropRoll {
  // Every eligible entry rolls on its own (droplimit 0 and mindrop 0); else
  // `slots` slots pick among them, the first `mindrop` surely.
  bool each_entry_rolls = false;
  std::vector<const LootdropEntry*> eligible;  // item exists, NPC level within the bounds
  double chance_sum = 0;                       // S
  double z = 1;         // the chance that a slot past mindrop picks nothing, without bypass
  bool bypass = false;  // an eligible entry has chance >= 100
  int slots = 0;        // D
  int mindrop = 0;

  // A slot-picking roll over no entries or a zero sum of chances gives nothing.
  bool picks_nothing() const { return eligible.empty() || chance_sum <= 0; }
};

LootdropRoll prepare_roll(const LootTables& tables, const std::vector<LootdropEntry>& rows,
                          const LoottableEntry& entry, int npc_level);

}  // namespace vl::loot
