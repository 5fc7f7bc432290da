#include "loot/kill_roller.h"

#include <algorithm>

namespace vl::loot {
namespace {

// Real(0, 1): uniform on [0, 1), from the top 53 bits.
double real(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

bool happens(double chance, std::mt19937_64& random) { return real(random) < chance; }

}  // namespace

KillRoller::KillRoller(const LootTables& tables, std::int64_t loottable_id, int npc_level,
                       int loot_multiplier) {
  const auto table = tables.loottables.find(loottable_id);
  if (table == tables.loottables.end()) return;
  for (const LoottableEntry& entry : table->second) {
    const auto rows = tables.lootdrops.find(entry.lootdrop_id);
    if (rows == tables.lootdrops.end()) continue;
    Pass pass{chance_of(entry.probability),
              entry.multiplier * loot_multiplier,
              prepare_roll(tables, rows->second, entry, npc_level),
              {}};
    double sum = 0;
    for (const LootdropEntry* row : pass.lootdrop.eligible)
      pass.cumulative.push_back(sum += row->chance);
    passes_.push_back(std::move(pass));
  }
}

void KillRoller::roll(std::mt19937_64& random, std::vector<std::int64_t>& drops) const {
  drops.clear();
  for (const Pass& pass : passes_) {
    for (int n = 0; n < pass.passes; ++n) {
      if (happens(pass.probability, random)) roll_lootdrop(pass, random, drops);
    }
  }
}

void KillRoller::roll_lootdrop(const Pass& pass, std::mt19937_64& random,
                               std::vector<std::int64_t>& drops) const {
  const LootdropRoll& roll = pass.lootdrop;
  if (roll.each_entry_rolls) {
    for (const LootdropEntry* row : roll.eligible) {
      for (int n = 0; n < row->multiplier; ++n) {
        if (happens(chance_of(row->chance), random)) drops.push_back(row->item_id);
      }
    }
    return;
  }
  if (roll.picks_nothing()) return;
  for (int slot = 0; slot < roll.slots; ++slot) {
    if (slot >= roll.mindrop && !roll.bypass && real(random) < roll.z) continue;
    // With replacement: entry j with chance chance_j / S.
    const double at = real(random) * roll.chance_sum;
    const auto picked = std::upper_bound(pass.cumulative.begin(), pass.cumulative.end(), at);
    const LootdropEntry* row = roll.eligible[static_cast<std::size_t>(std::min<std::ptrdiff_t>(
        picked - pass.cumulative.begin(), static_cast<std::ptrdiff_t>(roll.eligible.size()) - 1))];
    drops.push_back(row->item_id);
    for (int extra = 1; extra < row->multiplier; ++extra) {
      if (happens(chance_of(row->chance), random)) drops.push_back(row->item_id);
    }
  }
}

}  // namespace vl::loot
