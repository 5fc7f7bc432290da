// Loottables, lootdrops, their entries and NPCs near each level, and drops
// named the way the program names the drops it writes.

#include <algorithm>
#include <span>

#include "catalog.h"
#include "loot/catalog.h"
#include "world/world_model.h"

namespace vl::world {
namespace {

// Levels 1..99 spread evenly over `count` rows.
int spread_level(int index, int count) {
  return count <= 1 ? 1 : 1 + index * (kMaxLevel - 1) / (count - 1);
}

const Creature& creature_for_level(Prng& rng, int level) {
  std::vector<const Creature*> fitting;
  for (const auto& c : kCreatures) {
    if (c.min_level <= level && level <= c.max_level) fitting.push_back(&c);
  }
  return *fitting[static_cast<std::size_t>(rng.between(0, static_cast<int>(fitting.size()) - 1))];
}

// Index of a row of `count` evenly spread rows near the given level.
int index_near_level(Prng& rng, int level, int count, int reach) {
  const int centre = count <= 1 ? 0 : (level - 1) * (count - 1) / (kMaxLevel - 1);
  return rng.between(std::max(0, centre - reach), std::min(count - 1, centre + reach));
}

// "<a creature of the level>_<word>_<id>": the name of a loottable or a lootdrop.
std::string level_name(Prng& rng, int level, Words words, int id) {
  return std::string(creature_for_level(rng, level).name) + "_" + std::string(rng.pick(words)) +
         "_" + std::to_string(id);
}

std::vector<LootTable> make_loottables(Prng& rng, int count) {
  std::vector<LootTable> tables;
  for (int i = 0; i < count; ++i) {
    LootTable t;
    t.id = i + 1;
    t.level = spread_level(i, count);
    t.name = level_name(rng, t.level, Words(words::kLootTableKind), t.id);
    t.mincash = t.level * rng.between(1, 5);
    t.maxcash = t.mincash * rng.between(2, 4);
    t.avgcoin = rng.percent(50) ? (t.mincash + t.maxcash) / 2 : 0;
    tables.push_back(std::move(t));
  }
  return tables;
}

std::vector<LootDrop> make_lootdrops(Prng& rng, int count) {
  std::vector<LootDrop> drops;
  for (int i = 0; i < count; ++i) {
    LootDrop d;
    d.id = i + 1;
    d.level = spread_level(i, count);
    d.name = level_name(rng, d.level, Words(words::kLootDropTheme), d.id);
    drops.push_back(std::move(d));
  }
  return drops;
}

// Item indexes ordered by required level, to find items that suit a level.
class ItemsByLevel {
 public:
  explicit ItemsByLevel(const std::vector<Item>& items) : items_(items) {
    for (std::size_t i = 0; i < items.size(); ++i) order_.push_back(i);
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
      return items[a].reqlevel < items[b].reqlevel;
    });
  }

  const Item& near(Prng& rng, int level) const {
    const auto by_level = [&](std::size_t i, int l) { return items_[i].reqlevel < l; };
    auto first = std::lower_bound(order_.begin(), order_.end(), level - 6, by_level);
    auto last = std::lower_bound(order_.begin(), order_.end(), level + 7, by_level);
    if (first == last) {
      first = order_.begin();
      last = order_.end();
    }
    const auto offset = rng.between(0, static_cast<int>(last - first) - 1);
    return items_[*(first + offset)];
  }

 private:
  const std::vector<Item>& items_;
  std::vector<std::size_t> order_;
};

void fill_lootdrops(Prng& rng, World& world) {
  const ItemsByLevel items(world.items);
  for (const auto& drop : world.lootdrops) {
    std::vector<int> chosen;
    const int wanted = rng.between(1, 6);
    for (int attempt = 0; attempt < wanted * 4 && static_cast<int>(chosen.size()) < wanted;
         ++attempt) {
      const Item& item = items.near(rng, drop.level);
      if (std::find(chosen.begin(), chosen.end(), item.id) != chosen.end()) continue;
      chosen.push_back(item.id);
      const bool wearable = item.itemtype == 10 || item.itemtype == 8 || item.itemtype <= 5;
      world.lootdrop_entries.push_back(
          {drop.id, item.id, 1, wearable ? 1 : 0, rng.between(5, 100), 0, 127, 1});
    }
  }
}

void fill_loottables(Prng& rng, World& world) {
  const int drop_count = static_cast<int>(world.lootdrops.size());
  for (const auto& table : world.loottables) {
    std::vector<int> chosen;
    const int wanted = rng.between(1, 3);
    for (int attempt = 0; attempt < wanted * 4 && static_cast<int>(chosen.size()) < wanted;
         ++attempt) {
      const auto& drop = world.lootdrops[static_cast<std::size_t>(
          index_near_level(rng, table.level, drop_count, 3))];
      if (std::find(chosen.begin(), chosen.end(), drop.id) != chosen.end()) continue;
      chosen.push_back(drop.id);
      world.loottable_entries.push_back(
          {table.id, drop.id, 1, rng.between(2, 20) * 5, rng.between(0, 1), 0});
    }
  }
}

std::string npc_name(Prng& rng, const Creature& creature) {
  if (rng.percent(5)) {
    return std::string(rng.pick(Words(words::kNamePart1))) +
           std::string(rng.pick(Words(words::kNamePart2))) + " " +
           std::string(rng.pick(Words(words::kEpithet)));
  }
  std::string text = std::string(rng.percent(60) ? rng.pick(Words(words::kCreatureAdjective))
                                                 : std::string_view{});
  if (!text.empty()) text += ' ';
  text += creature.name;
  const bool vowel = std::string_view("aeiou").find(text.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + text;
}

std::vector<Npc> make_npcs(Prng& rng, int count, int loottable_count) {
  std::vector<Npc> npcs;
  for (int i = 0; i < count; ++i) {
    Npc n;
    n.id = kFirstNpcId + i;
    // The first 99 take every level once, so every level range has NPCs.
    n.level = i < kMaxLevel ? i + 1 : rng.between(1, kMaxLevel);
    const Creature& creature = creature_for_level(rng, n.level);
    n.name = npc_name(rng, creature);
    n.race = creature.race;
    n.npc_class = rng.between(1, 16);
    n.hp = 5 + n.level * n.level / 2 + n.level * 10 + rng.between(0, n.level * 5);
    // A few NPCs have no loot at all; the rest share loottables of their level,
    // drawn from a window wide enough that nearly every loottable has NPCs.
    const int reach = std::max(2, loottable_count / kMaxLevel);
    n.loottable_id =
        rng.percent(7) ? 0 : 1 + index_near_level(rng, n.level, loottable_count, reach);
    npcs.push_back(std::move(n));
  }
  if (count >= 2 &&
      std::none_of(npcs.begin(), npcs.end(), [](const Npc& n) { return n.loottable_id == 0; })) {
    npcs.back().loottable_id = 0;
  }
  return npcs;
}

// Drops named the way the program names the drops it writes, with the items
// of their category, each linked into the loottable of an NPC of its range.
void add_custom_drops(Prng& rng, World& world, int count) {
  int next_id = world.lootdrops.empty() ? 1 : world.lootdrops.back().id + 1;
  for (int k = 0; k < count; ++k) {
    const auto& range = rng.pick(std::span<const loot::LevelRange>(loot::kLevelRanges));
    const auto& category = rng.pick(std::span<const loot::LootCategory>(loot::kLootCategories));

    LootDrop drop{next_id++,
                  "lvl_" + std::string(range.entry) + "_CUSTOM_" + std::string(category.name), 0};
    std::vector<int> candidates;
    for (const auto& item : world.items) {
      if (std::find(category.itemtypes.begin(), category.itemtypes.end(), item.itemtype) !=
          category.itemtypes.end()) {
        candidates.push_back(item.id);
      }
    }
    for (int i = 0; i < kItemsPerCustomDrop && !candidates.empty(); ++i) {
      const auto pick =
          static_cast<std::size_t>(rng.between(0, static_cast<int>(candidates.size()) - 1));
      world.lootdrop_entries.push_back({drop.id, candidates[pick], 1, 1, 10, 0, 127, 1});
      candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
    }

    std::vector<int> tables;
    for (const auto& npc : world.npcs) {
      if (npc.level >= range.low && npc.level <= range.high && npc.loottable_id != 0) {
        tables.push_back(npc.loottable_id);
      }
    }
    if (!tables.empty()) {
      const int table =
          tables[static_cast<std::size_t>(rng.between(0, static_cast<int>(tables.size()) - 1))];
      world.loottable_entries.push_back({table, drop.id, 1, 50, 1, 0});
    }
    world.lootdrops.push_back(std::move(drop));
  }
}

}  // namespace

World make_world(const Options& options) {
  Prng rng(options.seed);
  World world;
  world.items = make_items(rng, options.items);
  world.loottables = make_loottables(rng, options.loottables);
  world.lootdrops = make_lootdrops(rng, options.lootdrops);
  fill_lootdrops(rng, world);
  fill_loottables(rng, world);
  world.npcs = make_npcs(rng, options.npcs, options.loottables);
  add_custom_drops(rng, world, options.custom_drops);
  add_spawns(world, options);
  return world;
}

}  // namespace vl::world
