#pragma once
// The sample world as values: what the generator makes before it writes SQL.

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "prng.h"

namespace vl::world {

constexpr int kFirstItemId = 1001;
constexpr int kFirstNpcId = 1001;
constexpr int kMaxLevel = 99;
constexpr int kItemsPerCustomDrop = 5;

struct Options {
  int items = 400;
  int npcs = 300;
  int loottables = 120;
  int lootdrops = 180;
  int custom_drops = 0;
  std::uint64_t seed = 1;
  bool extended_layout = false;     // the loot tables altered to the extended layout first
  int spawn_points = -1;            // -1: as many as NPCs
  bool older_spawn_layout = false;  // disabled points as spawn2.enabled, no spawn2_disabled
};

struct Item {
  int id = 0;
  std::string name;
  int itemtype = 0;
  int reqlevel = 0;
  int ac = 0, damage = 0, delay = 0;
  std::array<int, 7> attributes{};  // aint awis astr asta adex aagi acha
  int hp = 0, mana = 0, weight = 0, price = 0;
};

struct Npc {
  int id = 0;
  std::string name;
  int level = 1, race = 1, npc_class = 1, hp = 0;
  int loottable_id = 0;
};

struct LootTable {
  int id = 0;
  std::string name;
  int level = 1;
  int mincash = 0, maxcash = 0, avgcoin = 0;
};

struct LootDrop {
  int id = 0;
  std::string name;
  int level = 1;
};

struct LootDropEntry {
  int lootdrop_id, item_id, item_charges, equip_item, chance, minlevel, maxlevel, multiplier;
};

struct LootTableEntry {
  int loottable_id, lootdrop_id, multiplier, probability, droplimit, mindrop;
};

struct SpawnGroup {
  int id = 0;
  std::string name;
  int spawn_limit = 0;
};

struct SpawnEntryRow {
  int group_id, npc_id, chance, condition_value_filter, min_time, max_time;
};

struct SpawnPointRow {
  int id, group_id, respawntime, variance, condition, cond_value;
  bool disabled;
};

struct World {
  std::vector<Item> items;
  std::vector<Npc> npcs;
  std::vector<LootTable> loottables;
  std::vector<LootTableEntry> loottable_entries;
  std::vector<LootDrop> lootdrops;
  std::vector<LootDropEntry> lootdrop_entries;
  std::vector<SpawnGroup> spawn_groups;
  std::vector<SpawnEntryRow> spawn_entries;
  std::vector<SpawnPointRow> spawn_points;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const std::string_view kUsage;

// nullopt: --help was asked for. Throws UsageError.
std::optional<Options> parse_options(int argc, char** argv);

// The smallest item count that still holds one item of every kind and the
// named materials the coverage list forces.
int minimum_items();
std::vector<Item> make_items(Prng& rng, int count);

// Items first, then loottables, lootdrops, their entries, NPCs and custom
// drops, all from one generator: the order of draws fixes the bytes.
World make_world(const Options& options);

// The spawn tables over the world's NPCs, from a generator of their own so
// that the loot rows stay as they were before spawns were added.
void add_spawns(World& world, const Options& options);

void write_sql(const World& world, const Options& options, std::ostream& out);

}  // namespace vl::world
