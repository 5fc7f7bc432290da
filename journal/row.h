#pragma once
// One row a journaled run changed in the world: what it inserted (every value
// it sent), what it deleted (every value it read before), an NPC it pointed
// at a loottable (with a third value, without a column, when the NPC had
// another loottable than 0 before: the one undo gives back), or a lootdrop it removed unread (its
// id, or the name pattern of a deletion by name), which cannot be put back. Values are SQL
// literals: numbers as sent, texts in single quotes (db::sql_text), NULL; each with the name of its
// column.

#include <string>
#include <vector>

#include "db/loot_rows.h"

namespace vl::journal {

enum class RowKind { inserted, deleted, npc, removed };

struct Row {
  RowKind kind = RowKind::inserted;
  std::string table;                 // lower case
  std::vector<std::string> columns;  // empty (journals of older versions): the table's columns
  std::vector<std::string> values;
  // Written ahead and not (yet) known to have reached the world.
  bool uncertain = true;
};

// The journal's row of a row a writer announced: inserted, an NPC's loottable
// (columns id, loottable_id), or lootdrops removed unread.
Row journal_row(const db::LootRow& row);
// Its kind alone.
RowKind kind_of(const db::LootRow& row);

// "inserted", "deleted", "npc", "removed".
const char* kind_name(RowKind kind);

// The text of a single-quoted SQL literal (db::sql_text's).
std::string unquoted(const std::string& literal);

// A value of a row as a statement gets it, whatever the server's sql_mode and
// character set: NULL, an integer written again, a plain decimal number as it
// is, a text (or anything else) as the hexadecimal literal of its bytes.
std::string sql_value(const std::string& value);

// "table (v1,v2,...)", for messages.
std::string describe(const Row& row);

}  // namespace vl::journal
