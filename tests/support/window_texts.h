#pragma once
// The level list's entries and the statistics rows' words as the window shows
// them, written once for every test that expects them. Constant arrays, so
// that tables built before main() can read them.

#include <array>
#include <string_view>

namespace vl::test {

inline constexpr std::array<std::string_view, 8> kLevelEntries = {
    "01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-99", "65-99"};
inline constexpr std::array<std::string_view, 12> kStatsWords = {
    "armour",
    "weapon",
    "higher lvl misc",
    "All lvl misc",
    "shields",
    "General Food Items",
    "Spells/Songs",
    "potions",
    "Drums/Arrows/Crafted Rings",
    "Ales/Drinks",
    "idols charms trinkets",
    "high level augment items/Solvents"};

}  // namespace vl::test
