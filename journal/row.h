#pragma once
// One row a journaled run changed in the world: what it inserted (every value
// it sent), what it deleted (every value it read before), an NPC it pointed
// at a loottable, or a lootdrop it removed unread (its id, or the name pattern
// of a deletion by name), which cannot be put back. Values are SQL literals: numbers as sent, texts
// in single quotes, NULL.

#include <string>
#include <vector>

namespace vl::journal {

enum class RowKind { inserted, deleted, npc, removed };

struct Row {
  RowKind kind = RowKind::inserted;
  std::string table;                 // lower case
  std::vector<std::string> columns;  // empty: the table's columns in order
  std::vector<std::string> values;
  // Written ahead and not (yet) known to have reached the world.
  bool uncertain = true;
};

// The rows a statement will change: the INSERTs of the window's way, the
// repair and the atomic writer (one row per tuple), the repair's UPDATE of an
// NPC's loottable (columns id, loottable_id), and the deletion's removal of
// lootdrops by name or by id (kind removed). Nothing for other statements.
std::vector<Row> rows_of_statement(const std::string& sql);

// "inserted", "deleted", "npc", "removed".
const char* kind_name(RowKind kind);

// A text as a single-quoted SQL literal, and the text of such a literal.
std::string quoted(const std::string& text);
std::string unquoted(const std::string& literal);

// A value of a row as a statement gets it, whatever the server's sql_mode and
// character set: NULL, an integer written again, a plain decimal number as it
// is, a text (or anything else) as the hexadecimal literal of its bytes.
std::string sql_value(const std::string& value);

// "table (v1,v2,...)", for messages.
std::string describe(const Row& row);

}  // namespace vl::journal
