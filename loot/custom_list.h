#pragma once
// The custom item list: a pasted list of item ids that a generation run draws
// from instead of the selected category's items.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/module_slots.h"

namespace vl::custom_list {

// Slots 1..kListCapacity of custom_item_ids take one line each.
inline constexpr int kListCapacity = kCustomItemSlots - 1;

// What a list text makes of the slots 1..kListCapacity.
struct ListFill {
  bool fits = false;    // false: more than kListCapacity slots needed, nothing changed
  int needed = 0;       // slots up to the last piece holding more than blanks
  int line_breaks = 0;  // the id count of a list that ends each line
};

// Slots 1.. of `slots` become 0: a list of no items.
void clear_slots(std::vector<std::optional<double>>& slots);

// Clears slots 1..kListCapacity of `slots` to 0, then gives slot i + 1 the
// value of piece i: the text is cut at every CR, and a piece reads as the
// number after its first TAB, or as a whole. Touches nothing when the text
// does not fit.
ListFill fill_list_slots(const std::string& text, std::vector<std::optional<double>>& slots);

// "Custom List Created [n items]", or why the list does not fit.
std::string list_message(const ListFill& fill);

}  // namespace vl::custom_list
