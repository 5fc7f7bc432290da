#pragma once
// The rows the program writes into the loot tables (or removes from them) as
// values, and the two ways they become statements: the window's positional
// INSERTs, and multi-row INSERTs that name their columns. A row's values go in
// the column order of its table's description (db/loot_tables.h).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "db/loot_tables.h"
#include "db/table_columns.h"

namespace vl::db {

// Numbers that are not whole (chance, probability) are kept as the text they
// are written as; names as their plain text.
struct LootdropRow {
  std::int64_t id = 0;
  std::string name;
};
struct LootdropEntryRow {
  std::int64_t lootdrop_id = 0, item_id = 0;
  std::int32_t item_charges = 1, equip_item = 1;
  std::string chance;
  std::int32_t minlevel = 0, maxlevel = 127, multiplier = 1;
};
struct LoottableRow {
  std::int64_t id = 0;
  std::string name;
  std::int32_t mincash = 0, maxcash = 0, avgcoin = 0;
};
struct LoottableEntryRow {
  std::int64_t loottable_id = 0, lootdrop_id = 0;
  std::int32_t multiplier = 1;
  std::string probability;
  std::int32_t droplimit = 1, mindrop = 0;
};
// An NPC pointed at a loottable; `previous_loottable_id` (when not 0) is the
// one it had, which an undo gives back (it is the row's third value).
struct NpcLoottableRow {
  std::int64_t npc_id = 0, loottable_id = 0;
  std::int64_t previous_loottable_id = 0;
};
// A row copied whole, in whatever layout its table has: a loottable copied
// for a level range, or one of its entries. Its columns are the layout
// probe's; each value as read (nullopt for NULL).
struct CopiedRow {
  const LootTable* table = &kLoottableTable;
  std::shared_ptr<const std::vector<Column>> columns;
  std::vector<std::optional<std::string>> values;
};
// Lootdrops removed without being read: those whose `column` ("name" with a
// LIKE pattern, or "id") holds `literal`, an SQL literal.
struct RemovedLootdrops {
  std::string column, literal;
};

using LootRow = std::variant<LootdropRow, LootdropEntryRow, LoottableRow, LoottableEntryRow,
                             NpcLoottableRow, RemovedLootdrops, CopiedRow>;

// The table the row belongs to (lootdrop for removals, npc_types' two columns for an NPC).
const LootTable& table_of(const LootRow& row);

// The names of the row's columns, comma-separated: its table's, or for a copied
// row the layout probe's (`quoted`: each as a statement gives it).
std::string column_names(const LootRow& row, bool quoted = false);

// The row's values as plain texts, in its table's column order (a removal: its literal).
std::vector<std::string> value_texts(const LootRow& row);

// A text as an SQL literal; see db/sql_literal.h.
using TextLiteral = std::string (*)(std::string_view);

// Appends the row's values to `out` as literals, `separator` between them:
// numbers as they are, texts as `text` writes them, NULL as NULL (a removal: its literal).
void append_values(std::string& out, const LootRow& row, TextLiteral text, char separator = ',');

// The window's statement for the row. `run` is the Execute button's way
// ("INSERT INTO lootdrop (id,name) values (1,\"name\")", texts in double
// quotes), `repair` the Repair button's ("INSERT INTO LOOTDROP values
// (1,'name')", table names in upper case, texts in single quotes). An NPC's
// loottable is an UPDATE the same in both. Texts go in as they are.
enum class WindowStyle { run, repair };
// A table as the Repair button's statements name it: in capitals.
std::string repair_table_name(const LootTable& table);
std::string window_statement(const LootRow& row, WindowStyle style);

// Rows of one table gathered into "INSERT INTO t (columns) VALUES (...),(...)"
// of at most `max_bytes` (at least one row each); texts written by `text`.
// `statement` gets each INSERT with its rows (none unless `with_rows`), in
// order; it may throw.
class InsertBatcher {
 public:
  using Statement = std::function<void(const std::string& sql, std::vector<LootRow>& rows)>;
  InsertBatcher(const LootTable& table, std::size_t max_bytes, TextLiteral text,
                const Statement& statement, bool with_rows = true);
  // Into `table` with the columns of `shape` (a copied row's probed ones).
  InsertBatcher(const LootRow& shape, std::size_t max_bytes, TextLiteral text,
                const Statement& statement, bool with_rows = true);
  void add(LootRow row);
  void flush();  // sends what is gathered

 private:
  InsertBatcher(std::string_view table, const std::string& columns, std::size_t max_bytes,
                TextLiteral text, const Statement& statement, bool with_rows);
  std::size_t max_bytes_;
  TextLiteral text_;
  bool with_rows_;
  const Statement& statement_;
  std::string head_, sql_;
  std::vector<LootRow> rows_;
};

}  // namespace vl::db
