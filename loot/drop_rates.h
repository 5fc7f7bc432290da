#pragma once
// What a player gets from killing an NPC: the game server rolls an NPC's loot
// at spawn from the four loot tables, and these are the closed forms of its
// rules over the tables' rows, given as values. No sampling: the expected
// copies of every item and the chance of at least one item per kill, exactly.

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vl::loot {

struct LoottableEntry {  // a loottable_entries row
  std::int64_t lootdrop_id = 0;
  int multiplier = 1;
  double probability = 100;
  int droplimit = 0;
  int mindrop = 0;
};

struct LootdropEntry {  // a lootdrop_entries row
  std::int64_t item_id = 0;
  double chance = 0;
  int multiplier = 1;
  int npc_min_level = 0;  // 0: no bound, also where the table has no such column
  int npc_max_level = 0;
};

// The rows that matter. A loottable or lootdrop is a key here exactly when its
// own row exists; its entries may be empty.
struct LootTables {
  std::unordered_map<std::int64_t, std::vector<LoottableEntry>> loottables;
  std::unordered_map<std::int64_t, std::vector<LootdropEntry>> lootdrops;
  std::unordered_set<std::int64_t> items;  // the item ids that exist
};

struct ItemRate {
  std::int64_t item_id = 0;
  double expected = 0;  // copies per kill
};

struct DropRates {
  double p_any = 0;             // chance of at least one item per kill, 0 to 1
  double expected_items = 0;    // item copies per kill
  std::vector<ItemRate> items;  // those expected above 0, by item id
};

// The drop rates of an NPC of `npc_level` whose loottable_id is `loottable_id`,
// with the server's global loot multiplier `loot_multiplier` (its default is 1).
DropRates drop_rates(const LootTables& tables, std::int64_t loottable_id, int npc_level,
                     int loot_multiplier);

// The chance per kill that one loottable entry gives at least one item.
double entry_p_any(const LootTables& tables, const LoottableEntry& entry, int npc_level,
                   int loot_multiplier);

// What the server does beyond these rules, which no figure here includes.
inline constexpr std::array<std::string_view, 5> kLeftOut{{
    "coins (mincash, maxcash, avgcoin of loottable)",
    "loot that scripts add or remove, and global loot tables the server adds on its own",
    "the killer's level filter (trivial_min_level/trivial_max_level, in older layouts "
    "minlevel/maxlevel of lootdrop_entries): a killer of any level inside is assumed",
    "content filters (min_expansion, max_expansion, content flags): every row is assumed to pass",
    "level scaling at spawn: the NPC's level column is used",
}};

}  // namespace vl::loot
