#pragma once
// One row a journaled run changed in the world: what it inserted (every value
// it sent), what it deleted (every value it read before), an NPC it pointed
// at a loottable (with a third value, without a column, when the NPC had
// another loottable than 0 before: the one undo gives back), or a lootdrop it removed unread (its
// id, or the name pattern of a deletion by name, each the text of the literal the statement
// named), which cannot be put back. Each value is kept as itself (journal/value.h), with the
// name of its column.

#include <string>
#include <vector>

#include "db/loot_rows.h"
#include "journal/value.h"

namespace vl::journal {

enum class RowKind { inserted, deleted, npc, removed };

struct Row {
  RowKind kind = RowKind::inserted;
  std::string table;                 // lower case
  std::vector<std::string> columns;  // empty (journals of older versions): the table's columns
  std::vector<Value> values;
  // Written ahead and not (yet) known to have reached the world.
  bool uncertain = true;
};

// The journal's row of a row a writer announced: inserted, an NPC's loottable
// (columns id, loottable_id), or lootdrops removed unread.
Row journal_row(const db::LootRow& row);
// Its kind alone.
RowKind kind_of(const db::LootRow& row);
// Its columns and its values, each by the kind of its column, appended to `out`.
std::vector<std::string> columns_of(const db::LootRow& row);
void append_values(std::vector<Value>& out, const db::LootRow& row);

// "inserted", "deleted", "npc", "removed".
const char* kind_name(RowKind kind);

// "table (v1,v2,...)", for messages: see Value::shown.
std::string describe(const Row& row);
// "table (column=v1, column=v2, ...)", as show lists a run's rows; as describe
// when the journal does not name the row's columns (journals of older versions).
std::string describe_with_columns(const Row& row);

}  // namespace vl::journal
