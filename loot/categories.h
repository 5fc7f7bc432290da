#pragma once
// The item-type slots the selected loot category fills, and the item query
// built from those slots.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/program_state.h"
#include "loot/catalog.h"

namespace vl::loot {

inline constexpr std::int16_t kNoItemType = -1;

using ItemTypeSlots = std::array<std::int16_t, kItemTypeSlots>;

// Slots 1..16 at -1, then the item types of category `selected` from slot 1;
// an index past the categories leaves them all at -1.
ItemTypeSlots category_slots(int selected);

// Slots 1..16 of category_itemtypes become -1, then the selected category's item
// types go into slots 1.. and its name into category_name. With no option
// selected the slots stay -1 and category_name keeps its value.
void Generate_item_class_sql(ProgramState& state);

// " itemtype=a OR itemtype=b)" + item_rules, from the slots as they stand. The
// generation run puts it behind kItemQueryHead, the rules window's count behind
// "SELECT COUNT(id) from items WHERE (".
std::string item_query_clause(const ProgramState& state);
std::string item_query_clause(const ItemTypeSlots& slots, const std::string& rules);

inline constexpr std::string_view kItemQueryHead = "SELECT id from items WHERE (";

// The generation run's item query: kItemQueryHead + item_query_clause(state).
std::string item_query(const ProgramState& state);

}  // namespace vl::loot
