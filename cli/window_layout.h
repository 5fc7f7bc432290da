#pragma once
// The loot tables as the window's positional inserts assume them, and what
// goes wrong when a table has another number of columns.

#include <array>
#include <span>
#include <string_view>

namespace vl::cli {

namespace columns {
inline constexpr std::string_view kLootdrop[] = {"id", "name"};
inline constexpr std::string_view kLootdropEntries[] = {"lootdrop_id", "item_id",   "item_charges",
                                                        "equip_item",  "chance",    "minlevel",
                                                        "maxlevel",    "multiplier"};
inline constexpr std::string_view kLoottable[] = {"id", "name", "mincash", "maxcash", "avgcoin"};
inline constexpr std::string_view kLoottableEntries[] = {
    "loottable_id", "lootdrop_id", "multiplier", "probability", "droplimit", "mindrop"};
}  // namespace columns

struct WindowTable {
  std::string_view table;
  std::span<const std::string_view> columns;  // in order
  std::string_view when_counts_differ;        // what the window's inserts then do
};

inline constexpr std::array<WindowTable, 4> kWindowLayout{{
    {"lootdrop", columns::kLootdrop,
     "the repair's INSERT INTO LOOTDROP values (2 values) is rejected"},
    {"lootdrop_entries", columns::kLootdropEntries,
     "generate's INSERT INTO lootdrop_entries values (8 values) is rejected after the run has "
     "written the drop's lootdrop row; so is the repair's"},
    {"loottable", columns::kLoottable,
     "the repair's INSERT INTO LOOTTABLE values (5 values) is rejected"},
    {"loottable_entries", columns::kLoottableEntries,
     "generate's and the repair's INSERT INTO loottable_entries values (6 values) are rejected"},
}};

}  // namespace vl::cli
