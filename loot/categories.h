#pragma once
// The item-type slots the selected loot category fills, and the item query
// built from those slots.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/module_slots.h"
#include "loot/catalog.h"

namespace vl::loot {

inline constexpr std::int16_t kNoItemType = -1;

using ItemTypeSlots = std::array<std::int16_t, kItemTypeSlots>;

// Slots 1..16 at -1, then the item types of category `selected` from slot 1;
// an index past the categories leaves them all at -1.
ItemTypeSlots category_slots(int selected);

// The name of category `selected`, or nothing for an index past the categories.
std::optional<std::string> category_name(int selected);

// " itemtype=a OR itemtype=b)" + rules, from the slots as they stand. The
// generation run puts it behind kItemQueryHead, the rules' count behind
// "SELECT COUNT(id) from items WHERE (".
std::string item_query_clause(const ItemTypeSlots& slots, const std::string& rules);

inline constexpr std::string_view kItemQueryHead = "SELECT id from items WHERE (";

// The generation run's item query: kItemQueryHead + item_query_clause(slots, rules).
std::string item_query(const ItemTypeSlots& slots, const std::string& rules);

}  // namespace vl::loot
