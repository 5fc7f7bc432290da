#pragma once
// The loot tables the program writes, each with its columns in the order the
// window's positional inserts give their values, and the kind of value each
// column holds. Every list of these columns (the layout check, the atomic
// writer's probe, the named-column inserts, the journal) is read from here.

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace vl::db {

enum class ValueKind { integer, real, text };

struct TableColumn {
  std::string_view name;
  ValueKind kind;
};

struct LootTable {
  std::string_view name;
  std::span<const TableColumn> columns;  // in the window's positional order
};

extern const LootTable kLootdropTable;
extern const LootTable kLootdropEntriesTable;
extern const LootTable kLoottableTable;
extern const LootTable kLoottableEntriesTable;
// The two columns of npc_types an NPC's new loottable touches.
extern const LootTable kNpcLoottableColumns;

// The four loot tables, in the order above.
extern const std::array<const LootTable*, 4> kLootTables;

// "a,b,c": the table's column names in order.
std::string column_list(const LootTable& table);

}  // namespace vl::db
