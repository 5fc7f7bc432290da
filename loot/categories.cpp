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

void Generate_item_class_sql(ProgramState& state) {
  const int selected = state.form1.op_selected();
  const ItemTypeSlots slots = category_slots(selected);
  std::copy(slots.begin() + 1, slots.end(), state.category_itemtypes.begin() + 1);
  if (selected < 0 || selected >= kLootCategoryCount) return;
  state.category_name = std::string(kLootCategories[selected].name);
}

std::string item_query_clause(const ProgramState& state) {
  return item_query_clause(state.category_itemtypes, state.item_rules);
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

std::string item_query(const ProgramState& state) {
  return std::string(kItemQueryHead) + item_query_clause(state);
}

}  // namespace vl::loot
