// vandril_world_gen: writes a deterministic sample world as SQL to standard
// output, rows for the tables of world/schema.sql (load the schema first).
//
//   vandril_world_gen [--items N] [--npcs N] [--loottables N] [--lootdrops N]
//                     [--custom-drops N] [--seed S]
//
// The same options give the same bytes on every machine.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalog.h"
#include "loot/catalog.h"
#include "prng.h"
#include "sql_rows.h"
#include "world/extended_layout.h"

namespace vl::world {
namespace {

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
  bool extended_layout = false;  // the loot tables altered to the extended layout first
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

struct World {
  std::vector<Item> items;
  std::vector<Npc> npcs;
  std::vector<LootTable> loottables;
  std::vector<LootTableEntry> loottable_entries;
  std::vector<LootDrop> lootdrops;
  std::vector<LootDropEntry> lootdrop_entries;
};

// ---------------------------------------------------------------------------
// Options

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr std::string_view kUsage =
    "usage: vandril_world_gen [--items N] [--npcs N] [--loottables N] [--lootdrops N]\n"
    "                         [--custom-drops N] [--seed S] [--schema window|extended]\n";

template <typename Number>
Number parse_number(std::string_view option, std::string_view text, Number minimum) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < minimum) {
    throw UsageError(std::string(option) + " needs a whole number of at least " +
                     std::to_string(minimum) + ", not \"" + std::string(text) + "\"");
  }
  return value;
}

// The smallest item count that still holds one item of every kind and the
// named materials the coverage list forces.
int minimum_items();

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") return std::nullopt;
    if (i + 1 >= argc) throw UsageError(std::string(option) + " needs a value");
    const std::string_view value = argv[++i];
    if (option == "--items") {
      options.items = parse_number(option, value, minimum_items());
    } else if (option == "--npcs") {
      options.npcs = parse_number(option, value, 1);
    } else if (option == "--loottables") {
      options.loottables = parse_number(option, value, 1);
    } else if (option == "--lootdrops") {
      options.lootdrops = parse_number(option, value, 1);
    } else if (option == "--custom-drops") {
      options.custom_drops = parse_number(option, value, 0);
    } else if (option == "--seed") {
      options.seed = parse_number<std::uint64_t>(option, value, 0);
    } else if (option == "--schema") {
      if (value != "window" && value != "extended") {
        throw UsageError("--schema needs window or extended, not \"" + std::string(value) + "\"");
      }
      options.extended_layout = value == "extended";
    } else {
      throw UsageError("unknown option " + std::string(option));
    }
  }
  return options;
}

// ---------------------------------------------------------------------------
// Items

bool is_two_handed(int itemtype) { return itemtype == 1 || itemtype == 4 || itemtype == 35; }

bool is_higher_misc(int itemtype) {
  return itemtype == 11 || itemtype == 17 || (itemtype >= 31 && itemtype <= 34);
}

std::span<const Material> materials_for(Profile profile) {
  switch (profile) {
    case Profile::kWeapon:
      return kWeaponMaterials;
    case Profile::kArmour:
      return kArmourMaterials;
    case Profile::kShield:
      return kShieldMaterials;
    default:
      return {};
  }
}

const ItemKind& kind_of_type(int itemtype) {
  for (const auto& kind : kItemKinds) {
    if (kind.itemtype == itemtype) return kind;
  }
  throw std::logic_error("no kind for item type " + std::to_string(itemtype));
}

const Material& material_named(std::span<const Material> materials, std::string_view name) {
  for (const auto& m : materials) {
    if (m.name == name) return m;
  }
  throw std::logic_error("no material " + std::string(name));
}

// Items every world has whatever its seed: the first of every kind, and the
// materials that operators' rules and the repair of NPCs look for by name.
struct CoverageItem {
  int itemtype;
  std::string_view material;  // empty: drawn like any other
};

std::vector<CoverageItem> coverage_items() {
  std::vector<CoverageItem> list;
  list.reserve(kItemKinds.size() + 10);
  for (const auto& kind : kItemKinds) list.push_back({kind.itemtype, {}});
  for (std::string_view m : {"Cloth", "Cloth", "Banded", "Mesh", "Bronze", "Rubicite"}) {
    list.push_back({10, m});
  }
  list.push_back({2, "Rusty"});
  list.push_back({0, "Rusty"});
  list.push_back({8, "Rusty"});
  list.push_back({3, "Bronze"});
  return list;
}

int minimum_items() { return static_cast<int>(coverage_items().size()); }

class ItemMaker {
 public:
  explicit ItemMaker(Prng& rng) : rng_(rng) {}

  Item make(int id, const ItemKind& kind, std::string_view forced_material) {
    Item item;
    item.id = id;
    item.itemtype = kind.itemtype;
    const auto materials = materials_for(kind.profile);
    if (!materials.empty()) {
      const Material& m = forced_material.empty() ? rng_.pick(materials)
                                                  : material_named(materials, forced_material);
      item.reqlevel = rng_.between(m.min_level, m.max_level);
      item.name = std::string(m.name) + " " + std::string(rng_.pick(kind.nouns));
    } else {
      name_and_level(item, kind);
    }
    numbers(item, kind.profile);
    return item;
  }

 private:
  std::string maybe_quality(int percent) {
    return rng_.percent(percent) ? std::string(rng_.pick(Words(words::kQuality))) + " " : "";
  }

  void name_and_level(Item& item, const ItemKind& kind) {
    const std::string noun(rng_.pick(kind.nouns));
    switch (kind.profile) {
      case Profile::kSpell: {
        static constexpr std::array<std::string_view, 5> kRank{"", " II", " III", " IV", " V"};
        item.reqlevel = rng_.between(1, kMaxLevel);
        item.name = (rng_.percent(25) ? "Song: " : "Spell: ") + noun +
                    std::string(kRank[static_cast<std::size_t>(item.reqlevel / 20)]);
        break;
      }
      case Profile::kJewellery:
        item.reqlevel = rng_.between(1, kMaxLevel);
        item.name = std::string(rng_.pick(Words(words::kMetal))) + " " +
                    (rng_.percent(50) ? std::string(rng_.pick(Words(words::kGem))) + " " : "") +
                    noun;
        break;
      case Profile::kCharm:
        item.reqlevel = rng_.between(1, kMaxLevel);
        item.name = std::string(rng_.percent(50) ? rng_.pick(Words(words::kGem))
                                                 : rng_.pick(Words(words::kQuality))) +
                    " " + noun;
        break;
      case Profile::kAugment:
        item.reqlevel = rng_.between(40, kMaxLevel);
        item.name = maybe_quality(100) + std::string(rng_.pick(Words(words::kGem))) + " " + noun;
        break;
      case Profile::kConsumable:
        item.reqlevel = item.itemtype == 21 || item.itemtype == 42 || item.itemtype == 27
                            ? rng_.between(1, 70)
                            : 0;
        item.name = maybe_quality(30) + noun;
        break;
      default:
        item.reqlevel =
            is_higher_misc(item.itemtype) && rng_.percent(60) ? rng_.between(15, kMaxLevel) : 0;
        item.name = maybe_quality(40) + noun;
        break;
    }
  }

  void add_attributes(Item& item, int how_many, int largest) {
    for (int i = 0; i < how_many; ++i) {
      item.attributes[static_cast<std::size_t>(rng_.between(0, 6))] += rng_.between(1, largest);
    }
  }

  void numbers(Item& item, Profile profile) {
    const int level = item.reqlevel;
    switch (profile) {
      case Profile::kWeapon:
        item.damage = 3 + level / 2 + rng_.between(0, 3 + level / 10);
        item.delay = rng_.between(20, 32);
        if (is_two_handed(item.itemtype)) {
          item.damage += item.damage / 2;
          item.delay = rng_.between(35, 50);
        }
        if (level > 10) add_attributes(item, rng_.between(0, 2), 1 + level / 8);
        item.weight = rng_.between(20, 120);
        break;
      case Profile::kArmour:
        item.ac = 1 + level / 3 + rng_.between(0, 3);
        if (level > 5) add_attributes(item, rng_.between(0, 3), 1 + level / 6);
        if (level > 15) item.hp = rng_.between(0, level * 2);
        item.weight = rng_.between(5, 150);
        break;
      case Profile::kShield:
        item.ac = 3 + level / 2 + rng_.between(0, 4);
        item.weight = rng_.between(40, 160);
        break;
      case Profile::kJewellery:
      case Profile::kCharm:
      case Profile::kAugment:
        add_attributes(item, rng_.between(1, 3), 2 + level / 8);
        item.hp = rng_.between(0, level * 2);
        item.mana = rng_.between(0, level * 2);
        item.weight = rng_.between(1, 10);
        break;
      default:
        item.weight = rng_.between(1, 30);
        break;
    }
    item.price = (level * level + 10) * rng_.between(5, 15);
  }

  Prng& rng_;
};

std::vector<Item> make_items(Prng& rng, int count) {
  ItemMaker maker(rng);
  int total_weight = 0;
  for (const auto& kind : kItemKinds) total_weight += kind.weight;

  std::vector<Item> items;
  items.reserve(static_cast<std::size_t>(count));
  for (const auto& c : coverage_items()) {
    const int id = kFirstItemId + static_cast<int>(items.size());
    items.push_back(maker.make(id, kind_of_type(c.itemtype), c.material));
  }
  while (static_cast<int>(items.size()) < count) {
    int roll = rng.between(1, total_weight);
    const ItemKind* kind = &kItemKinds.front();
    for (const auto& k : kItemKinds) {
      roll -= k.weight;
      if (roll <= 0) {
        kind = &k;
        break;
      }
    }
    const int id = kFirstItemId + static_cast<int>(items.size());
    items.push_back(maker.make(id, *kind, {}));
  }
  return items;
}

// ---------------------------------------------------------------------------
// Creatures, loottables, lootdrops and NPCs

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

std::vector<LootTable> make_loottables(Prng& rng, int count) {
  std::vector<LootTable> tables;
  for (int i = 0; i < count; ++i) {
    LootTable t;
    t.id = i + 1;
    t.level = spread_level(i, count);
    t.name = std::string(creature_for_level(rng, t.level).name) + "_" +
             std::string(rng.pick(Words(words::kLootTableKind))) + "_" + std::to_string(t.id);
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
    d.name = std::string(creature_for_level(rng, d.level).name) + "_" +
             std::string(rng.pick(Words(words::kLootDropTheme))) + "_" + std::to_string(d.id);
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
  return world;
}

// ---------------------------------------------------------------------------
// Output

void write_sql(const World& world, const Options& options, std::ostream& out) {
  out << "-- Sample world: --items " << options.items << " --npcs " << options.npcs
      << " --loottables " << options.loottables << " --lootdrops " << options.lootdrops
      << " --custom-drops " << options.custom_drops << " --seed " << options.seed
      << (options.extended_layout ? " --schema extended" : "") << "\n";
  // Table changes commit on their own, so they come before the transaction.
  if (options.extended_layout) out << kExtendedLayoutSql;
  out << "START TRANSACTION;\n";
  {
    BatchedInsert insert(out,
                         "INSERT INTO items (id,name,itemtype,reqlevel,ac,damage,delay,aint,awis,"
                         "astr,asta,adex,aagi,acha,hp,mana,weight,price) VALUES");
    for (const auto& i : world.items) {
      const auto& a = i.attributes;
      insert.add(row(i.id, i.name, i.itemtype, i.reqlevel, i.ac, i.damage, i.delay, a[0], a[1],
                     a[2], a[3], a[4], a[5], a[6], i.hp, i.mana, i.weight, i.price));
    }
  }
  {
    BatchedInsert insert(out,
                         "INSERT INTO npc_types (id,name,level,race,class,hp,loottable_id) VALUES");
    for (const auto& n : world.npcs) {
      insert.add(row(n.id, n.name, n.level, n.race, n.npc_class, n.hp, n.loottable_id));
    }
  }
  {
    BatchedInsert insert(out, "INSERT INTO loottable (id,name,mincash,maxcash,avgcoin) VALUES");
    for (const auto& t : world.loottables) {
      insert.add(row(t.id, t.name, t.mincash, t.maxcash, t.avgcoin));
    }
  }
  {
    BatchedInsert insert(out,
                         "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,"
                         "probability,droplimit,mindrop) VALUES");
    for (const auto& e : world.loottable_entries) {
      insert.add(
          row(e.loottable_id, e.lootdrop_id, e.multiplier, e.probability, e.droplimit, e.mindrop));
    }
  }
  {
    BatchedInsert insert(out, "INSERT INTO lootdrop (id,name) VALUES");
    for (const auto& d : world.lootdrops) insert.add(row(d.id, d.name));
  }
  {
    BatchedInsert insert(out,
                         "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,"
                         "equip_item,chance,minlevel,maxlevel,multiplier) VALUES");
    for (const auto& e : world.lootdrop_entries) {
      insert.add(row(e.lootdrop_id, e.item_id, e.item_charges, e.equip_item, e.chance, e.minlevel,
                     e.maxlevel, e.multiplier));
    }
  }
  out << "COMMIT;\n";
}

}  // namespace
}  // namespace vl::world

int main(int argc, char** argv) {
  using namespace vl::world;
  try {
    const auto options = parse_options(argc, argv);
    if (!options) {
      std::cout << kUsage;
      return 0;
    }
    std::ios::sync_with_stdio(false);
    write_sql(make_world(*options), *options, std::cout);
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "vandril_world_gen: could not write the output\n";
      return 1;
    }
    return 0;
  } catch (const UsageError& e) {
    std::cerr << "vandril_world_gen: " << e.what() << "\n" << kUsage;
    return 2;
  }
}
