#pragma once
// The loot tables as the window's positional inserts assume them, and what
// goes wrong when a table has another number of columns.

#include <array>

#include "db/loot_tables.h"

namespace vl::maintenance {

struct WindowTable {
  const db::LootTable* table;           // its columns in order
  std::string_view when_counts_differ;  // what the window's inserts then do
};

inline const std::array<WindowTable, 4> kWindowLayout{{
    {&db::kLootdropTable, "the repair's INSERT INTO LOOTDROP values (2 values) is rejected"},
    {&db::kLootdropEntriesTable,
     "generate's INSERT INTO lootdrop_entries values (8 values) is rejected after the run has "
     "written the drop's lootdrop row; so is the repair's"},
    {&db::kLoottableTable, "the repair's INSERT INTO LOOTTABLE values (5 values) is rejected"},
    {&db::kLoottableEntriesTable,
     "generate's and the repair's INSERT INTO loottable_entries values (6 values) are rejected"},
}};

}  // namespace vl::maintenance
