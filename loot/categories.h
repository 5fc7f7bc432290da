#pragma once
// The twelve loot categories of the main window's option group, the item-type
// slots they fill, and the item query built from those slots.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/program_state.h"

namespace vl::loot {

struct LootCategory {
  std::string_view caption;                 // what the option button shows
  std::string_view name;                    // what the lootdrop names carry
  std::span<const std::int16_t> itemtypes;  // query order, not sorted
};

inline constexpr int kLootCategoryCount = 12;
inline constexpr std::int16_t kNoItemType = -1;

// Indexed like the options op(0) .. op(11).
const std::array<LootCategory, kLootCategoryCount>& loot_categories();

// Slots 1..16 of category_itemtypes become -1, then the selected category's item
// types go into slots 1.. and its name into category_name. With no option
// selected the slots stay -1 and category_name keeps its value.
void Generate_item_class_sql(ProgramState& state);

// " itemtype=a OR itemtype=b)" + item_rules, from the slots as they stand. The
// generation run puts it behind kItemQueryHead, the rules window's count behind
// "SELECT COUNT(id) from items WHERE (".
std::string item_query_clause(const ProgramState& state);

inline constexpr std::string_view kItemQueryHead = "SELECT id from items WHERE (";

// The generation run's item query: kItemQueryHead + item_query_clause(state).
std::string item_query(const ProgramState& state);

}  // namespace vl::loot
