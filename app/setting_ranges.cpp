#include "app/setting_ranges.h"

#include <charconv>
#include <string_view>

#include "core/ascii_case.h"
#include "core/numeric_text.h"
#include "loot/catalog.h"
#include "loot/draws.h"

namespace vl::app {

// The roll of 1 to 100 must be below the percent: 101 chooses every NPC.
const NumberRange kNpcPercent{"--npc-percent", 0, 101, "101 chooses every NPC"};
const NumberRange kChance{"--chance", 0, 100, ""};
const NumberRange kProbability{"--probability", 0, 100, ""};
const NumberRange kItems{
    "--items", 1, loot::kMaxItemsPerDrop,
    "a drop holds at most " + std::to_string(loot::kMaxItemsPerDrop) + " items"};

std::string range_words(const NumberRange& range) {
  std::string words = std::to_string(range.low) + " to " + std::to_string(range.high);
  return range.why.empty() ? words : words + " (" + range.why + ")";
}

std::optional<int> value_in_range(const NumberRange& range, const std::string& text) {
  const auto number = whole_text_number(text);
  const bool items = &range == &kItems;
  const double taken = !number ? -1 : items ? round_half_even(*number) : round_down(*number);
  if (!number || taken < range.low || taken > range.high) return std::nullopt;
  return static_cast<int>(taken);
}

std::string level_entries() {
  std::string list;
  for (const auto& range : loot::kLevelRanges)
    list += (list.empty() ? "" : ", ") + std::string(range.entry);
  return list;
}

std::optional<int> find_category(const std::string& name) {
  const std::string wanted = ascii_lower(name);
  for (int i = 0; i < loot::kLootCategoryCount; ++i) {
    const auto& category = loot::kLootCategories[static_cast<std::size_t>(i)];
    if (wanted == ascii_lower(category.caption) || wanted == ascii_lower(category.name)) return i;
  }
  return std::nullopt;
}

std::optional<int> find_level_range(const std::string& entry) {
  for (int i = 0; i < loot::kLevelRangeCount; ++i) {
    if (loot::kLevelRanges[static_cast<std::size_t>(i)].entry == entry) return i;
  }
  return std::nullopt;
}

std::optional<int> find_typed_level_range(const std::string& typed) {
  if (auto index = find_level_range(typed)) return index;
  const auto dash = typed.find('-');
  const auto number = [](std::string_view text) -> std::optional<int> {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
      return std::nullopt;
    return value;
  };
  if (dash == std::string::npos) return std::nullopt;
  const auto low = number(std::string_view(typed).substr(0, dash));
  const auto high = number(std::string_view(typed).substr(dash + 1));
  for (int i = 0; low && high && i < loot::kLevelRangeCount; ++i) {
    const auto& range = loot::kLevelRanges[static_cast<std::size_t>(i)];
    if (range.low == *low && range.high == *high) return i;
  }
  return std::nullopt;
}

}  // namespace vl::app
