#include "loot/categories.h"

namespace vl::loot {
void Generate_item_class_sql(ProgramState& state) {
  auto& slots = state.category_itemtypes;
  for (int i = 1; i < kItemTypeSlots; ++i) slots[i] = kNoItemType;

  const int selected = state.form1.op_selected();
  if (selected < 0 || selected >= kLootCategoryCount) return;
  const LootCategory& category = kLootCategories[selected];
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
