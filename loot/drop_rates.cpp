#include "loot/drop_rates.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "loot/lootdrop_roll.h"

namespace vl::loot {
namespace {

bool within_bounds(const LootdropEntry& row, int level) {
  return (row.npc_min_level <= 0 || level >= row.npc_min_level) &&
         (row.npc_max_level <= 0 || level <= row.npc_max_level);
}

// Lootdrops with more than this many entries fill 10 slots when droplimit is 0.
constexpr std::size_t kManyEntries = 100;
constexpr int kSlotsOfMany = 10;

struct RollRates {
  double p_nothing = 1;
  std::vector<ItemRate> copies;  // per roll
};

RollRates rates_of_roll(const LootdropRoll& roll) {
  RollRates rates;
  if (roll.each_entry_rolls) {
    for (const LootdropEntry* row : roll.eligible) {
      const double p = chance_of(row->chance);
      rates.copies.push_back({row->item_id, row->multiplier * p});
      rates.p_nothing *= std::pow(1 - p, row->multiplier);
    }
    return rates;
  }
  if (roll.picks_nothing()) return rates;
  const double q = roll.bypass ? 1 : 1 - roll.z;
  const double picks = roll.mindrop + (roll.slots - roll.mindrop) * q;
  for (const LootdropEntry* row : roll.eligible) {
    const double extra = (std::max(row->multiplier, 1) - 1) * chance_of(row->chance);
    rates.copies.push_back({row->item_id, picks * (row->chance / roll.chance_sum) * (1 + extra)});
  }
  rates.p_nothing = roll.mindrop >= 1 || roll.bypass ? 0 : std::pow(roll.z, roll.slots);
  return rates;
}

// The chance that none of a loottable entry's multiplier x G passes gives anything.
double p_no_pass_gives(const LoottableEntry& entry, const RollRates& roll, int loot_multiplier) {
  return std::pow(1 - chance_of(entry.probability) * (1 - roll.p_nothing),
                  entry.multiplier * loot_multiplier);
}

const std::vector<LootdropEntry>* rows_of(const LootTables& tables, std::int64_t lootdrop_id) {
  const auto found = tables.lootdrops.find(lootdrop_id);
  return found == tables.lootdrops.end() ? nullptr : &found->second;
}

}  // namespace

double chance_of(double percent) { return std::clamp(percent / 100, 0.0, 1.0); }

LootdropRoll prepare_roll(const LootTables& tables, const std::vector<LootdropEntry>& rows,
                          const LoottableEntry& entry, int npc_level) {
  LootdropRoll roll;
  roll.each_entry_rolls = entry.droplimit == 0 && entry.mindrop == 0;
  for (const LootdropEntry& row : rows) {
    if (tables.items.contains(row.item_id) && within_bounds(row, npc_level)) {
      roll.eligible.push_back(&row);
    }
  }
  roll.mindrop = std::max(entry.mindrop, 0);
  roll.slots = entry.droplimit == 0 && rows.size() > kManyEntries ? kSlotsOfMany : entry.droplimit;
  roll.slots = std::max(roll.slots, roll.mindrop);
  for (const LootdropEntry* row : roll.eligible) {
    roll.chance_sum += row->chance;
    if (row->chance >= 100)
      roll.bypass = true;
    else
      roll.z *= 1 - chance_of(row->chance);
  }
  return roll;
}

double entry_p_any(const LootTables& tables, const LoottableEntry& entry, int npc_level,
                   int loot_multiplier) {
  const auto* rows = rows_of(tables, entry.lootdrop_id);
  if (!rows) return 0;
  return 1 - p_no_pass_gives(entry, rates_of_roll(prepare_roll(tables, *rows, entry, npc_level)),
                             loot_multiplier);
}

DropRates drop_rates(const LootTables& tables, std::int64_t loottable_id, int npc_level,
                     int loot_multiplier) {
  DropRates rates;
  const auto table = tables.loottables.find(loottable_id);
  if (table == tables.loottables.end()) return rates;
  std::map<std::int64_t, double> expected;
  double p_none = 1;
  for (const LoottableEntry& entry : table->second) {
    const auto* rows = rows_of(tables, entry.lootdrop_id);
    if (!rows) continue;
    const RollRates roll = rates_of_roll(prepare_roll(tables, *rows, entry, npc_level));
    const double pass = chance_of(entry.probability);
    const int passes = entry.multiplier * loot_multiplier;
    for (const ItemRate& item : roll.copies)
      expected[item.item_id] += passes * pass * item.expected;
    p_none *= p_no_pass_gives(entry, roll, loot_multiplier);
  }
  rates.p_any = 1 - p_none;
  for (const auto& [item, copies] : expected) {
    if (copies <= 0) continue;
    rates.items.push_back({item, copies});
    rates.expected_items += copies;
  }
  return rates;
}

}  // namespace vl::loot
