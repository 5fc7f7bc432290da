// Items of every kind, named and levelled by their materials and nouns.

#include <algorithm>
#include <span>

#include "catalog.h"
#include "world/world_model.h"

namespace vl::world {
namespace {

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

}  // namespace

int minimum_items() { return static_cast<int>(coverage_items().size()); }

namespace {

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

}  // namespace

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

}  // namespace vl::world
