#pragma once
// The generate settings' ranges as the window's boxes take them, and the level
// ranges and loot categories looked up by what a user types: one place for the
// command line's options and for a plan file's checks alike.

#include <optional>
#include <string>

namespace vl::app {

// The range a numeric setting takes, named in its help and its refusal.
struct NumberRange {
  const char* option;  // the command line's name of the setting
  int low, high;
  std::string why;  // "" or what the ends mean
};
// Percentages rounded down, items per drop to the nearest (halves to even).
extern const NumberRange kNpcPercent, kChance, kProbability, kItems;

// "0 to 101 (101 chooses every NPC)": the range as the help names it.
std::string range_words(const NumberRange& range);

// The number the window's box takes `text` as, when it is in `range`.
std::optional<int> value_in_range(const NumberRange& range, const std::string& text);

// The entries of the window's level list, joined by ", ".
std::string level_entries();

// A category by the window's caption or the drop-name word, case-insensitive.
std::optional<int> find_category(const std::string& name);

// A level range by its list entry ("01-10").
std::optional<int> find_level_range(const std::string& entry);
// A level range as a user types it: its list entry, or its ends as plain
// numbers ("1-10" as "01-10"). The window's list keeps its entries.
std::optional<int> find_typed_level_range(const std::string& typed);

}  // namespace vl::app
