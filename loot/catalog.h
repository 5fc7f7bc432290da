#pragma once
// The level ranges of the level list and the twelve loot categories: what the
// window lists and shows, what the custom drops are named after, what the
// statistics count. Plain data, so that the sample-world generator and the
// command line read the same table as the window without linking anything.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vl::loot {

struct LevelRange {
  std::string_view entry;  // the list entry, "01-10": its first two and last two characters
  int low, high;
};

inline constexpr std::array<LevelRange, 8> kLevelRanges{{
    {"01-10", 1, 10},
    {"11-20", 11, 20},
    {"21-30", 21, 30},
    {"31-40", 31, 40},
    {"41-50", 41, 50},
    {"51-60", 51, 60},
    {"61-99", 61, 99},
    {"65-99", 65, 99},
}};
inline constexpr int kLevelRangeCount = static_cast<int>(kLevelRanges.size());

namespace itemtypes {
inline constexpr std::int16_t kArmour[] = {10};
inline constexpr std::int16_t kWeapon[] = {1, 2, 3, 4, 5, 45, 7, 0, 19, 35};
inline constexpr std::int16_t kHigherLevelMisc[] = {11, 17, 19, 31, 32, 33, 34};
inline constexpr std::int16_t kAllLevelMisc[] = {0, 40, 42, 36, 37, 39, 52};
inline constexpr std::int16_t kShields[] = {8};
inline constexpr std::int16_t kFood[] = {14, 15};
inline constexpr std::int16_t kSpells[] = {20};
inline constexpr std::int16_t kPotions[] = {21};
inline constexpr std::int16_t kDrumsArrowsRings[] = {26, 27, 29};
inline constexpr std::int16_t kDrinks[] = {37};
inline constexpr std::int16_t kTrinkets[] = {52};
inline constexpr std::int16_t kAugments[] = {54, 55};
}  // namespace itemtypes

struct LootCategory {
  std::string_view caption;                 // what the option button shows
  std::string_view name;                    // what the custom lootdrop names carry
  std::span<const std::int16_t> itemtypes;  // query order, not sorted
  std::string_view stats_word;              // the statistics row; differs from name once
};

// Indexed like the options op(0) .. op(11) and the statistics rows.
inline constexpr std::array<LootCategory, 12> kLootCategories{{
    {"Armour", "armour", itemtypes::kArmour, "armour"},
    {"Weapon", "weapon", itemtypes::kWeapon, "weapon"},
    {"Higher LVL Misc", "higher lvl misc", itemtypes::kHigherLevelMisc, "higher lvl misc"},
    {"All LVL Misc", "All lvl misc", itemtypes::kAllLevelMisc, "All lvl misc"},
    {"Shields", "shields", itemtypes::kShields, "shields"},
    {"General Food Items", "General Food Items", itemtypes::kFood, "General Food Items"},
    {"Spells/Songs", "Spells/Songs", itemtypes::kSpells, "Spells/Songs"},
    {"Potions", "Potions", itemtypes::kPotions, "potions"},
    {"Drums/Arrows/Crafted Rings", "Drums/Arrows/Crafted Rings", itemtypes::kDrumsArrowsRings,
     "Drums/Arrows/Crafted Rings"},
    {"Drinks/Ales", "Ales/Drinks", itemtypes::kDrinks, "Ales/Drinks"},
    {"idols,charms,trinkets", "idols charms trinkets", itemtypes::kTrinkets,
     "idols charms trinkets"},
    {"high level augment items/Solvents", "high level augment items/Solvents", itemtypes::kAugments,
     "high level augment items/Solvents"},
}};
inline constexpr int kLootCategoryCount = static_cast<int>(kLootCategories.size());

}  // namespace vl::loot
