#include "loot/categories.h"

namespace vl::loot {
namespace {

constexpr std::int16_t kArmour[] = {10};
constexpr std::int16_t kWeapon[] = {1, 2, 3, 4, 5, 45, 7, 0, 19, 35};
constexpr std::int16_t kHigherLevelMisc[] = {11, 17, 19, 31, 32, 33, 34};
constexpr std::int16_t kAllLevelMisc[] = {0, 40, 42, 36, 37, 39, 52};
constexpr std::int16_t kShields[] = {8};
constexpr std::int16_t kFood[] = {14, 15};
constexpr std::int16_t kSpells[] = {20};
constexpr std::int16_t kPotions[] = {21};
constexpr std::int16_t kDrumsArrowsRings[] = {26, 27, 29};
constexpr std::int16_t kDrinks[] = {37};
constexpr std::int16_t kTrinkets[] = {52};
constexpr std::int16_t kAugments[] = {54, 55};

constexpr std::array<LootCategory, kLootCategoryCount> kCategories{{
    {"Armour", "armour", kArmour},
    {"Weapon", "weapon", kWeapon},
    {"Higher LVL Misc", "higher lvl misc", kHigherLevelMisc},
    {"All LVL Misc", "All lvl misc", kAllLevelMisc},
    {"Shields", "shields", kShields},
    {"General Food Items", "General Food Items", kFood},
    {"Spells/Songs", "Spells/Songs", kSpells},
    {"Potions", "Potions", kPotions},
    {"Drums/Arrows/Crafted Rings", "Drums/Arrows/Crafted Rings", kDrumsArrowsRings},
    {"Drinks/Ales", "Ales/Drinks", kDrinks},
    {"idols,charms,trinkets", "idols charms trinkets", kTrinkets},
    {"high level augment items/Solvents", "high level augment items/Solvents", kAugments},
}};

}  // namespace

const std::array<LootCategory, kLootCategoryCount>& loot_categories() { return kCategories; }

void Generate_item_class_sql(ProgramState& state) {
  auto& slots = state.category_itemtypes;
  for (int i = 1; i < kItemTypeSlots; ++i) slots[i] = kNoItemType;

  const int selected = state.form1.op_selected();
  if (selected < 0 || selected >= kLootCategoryCount) return;
  const LootCategory& category = kCategories[selected];
  int slot = 1;
  for (std::int16_t itemtype : category.itemtypes) slots[slot++] = itemtype;
  state.category_name = std::string(category.name);
}

std::string item_query_clause(const ProgramState& state) {
  const auto& slots = state.category_itemtypes;
  // The slot after the last one counts as empty, so a fully used table still ends.
  auto slot = [&](int i) { return i < kItemTypeSlots ? slots[i] : kNoItemType; };
  std::string clause;
  for (int i = 1;; ++i) {
    clause += " itemtype=" + std::to_string(slot(i));
    if (slot(i) != kNoItemType && slot(i + 1) != kNoItemType) {
      clause += " OR";
    } else {
      clause += ")";
      break;
    }
  }
  return clause + state.item_rules;
}

std::string item_query(const ProgramState& state) {
  return std::string(kItemQueryHead) + item_query_clause(state);
}

}  // namespace vl::loot
