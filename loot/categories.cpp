#include "loot/categories.h"

#include <algorithm>

namespace vl::loot {
ItemTypeSlots category_slots(int selected) {
  ItemTypeSlots slots{};
  for (int i = 1; i < kItemTypeSlots; ++i) slots[i] = kNoItemType;
  if (selected < 0 || selected >= kLootCategoryCount) return slots;
  int slot = 1;
  for (std::int16_t itemtype : kLootCategories[selected].itemtypes) slots[slot++] = itemtype;
  return slots;
}

std::optional<std::string> category_name(int selected) {
  if (selected < 0 || selected >= kLootCategoryCount) return std::nullopt;
  return std::string(kLootCategories[selected].name);
}

std::string item_query_clause(const ItemTypeSlots& slots, const std::string& rules) {
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
  return clause + rules;
}

std::string item_query(const ItemTypeSlots& slots, const std::string& rules) {
  return std::string(kItemQueryHead) + item_query_clause(slots, rules);
}

}  // namespace vl::loot
