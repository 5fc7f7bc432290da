#include "journal/text_values.h"

#include <optional>
#include <string>
#include <vector>

#include "db/exact_number.h"
#include "journal/run_settings.h"
#include "journal/sqlite_statement.h"
#include "journal/stored_rows.h"

namespace vl::journal {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const auto at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// The text of a single-quoted literal, each backslash escape taken off.
std::string unquoted(const std::string& literal) {
  std::string text;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 2 < literal.size()) ++i;
    text += literal[i];
  }
  return text;
}

// An older journal's literal as the value it stood for. A removal kept the
// literal its statement named, which stays its text.
Value value_of_literal(const std::string& literal, bool removal) {
  if (removal) return Value(literal);
  if (literal == "NULL") return Value();
  if (!literal.empty() && literal.front() == '\'') return Value(unquoted(literal));
  if (const auto whole = exact_number<std::int64_t>(literal)) return Value(*whole);
  if (literal.find_first_not_of("0123456789.eE+-") == std::string::npos)
    if (const auto real = exact_number<double>(literal)) return Value(*real);
  return Value(literal);
}

}  // namespace

void convert_text_values(sqlite3* db) {
  SqliteStatement rows(db, "SELECT id, kind, cols, vals, tuples FROM rows ORDER BY id");
  SqliteStatement insert(db, "INSERT INTO vals (row, tuple, pos, v) VALUES (?,?,?,?)");
  SqliteStatement update(db, "UPDATE rows SET cols=?, tuples=? WHERE id=?");
  while (rows.step()) {
    const std::int64_t id = rows.number(0);
    const bool removal = rows.text(1) == kind_name(RowKind::removed);
    const std::string values = rows.text(3);
    const std::vector<std::string> tuples =
        rows.number(4) <= 1 ? std::vector<std::string>{values} : split(values, '\x1e');
    for (std::size_t t = 0; t < tuples.size(); ++t) {
      const std::vector<std::string> literals = split(tuples[t], '\x1f');
      for (std::size_t pos = 0; pos < literals.size(); ++pos) {
        const Value value = value_of_literal(literals[pos], removal);
        insert.bind(1, id).bind(2, static_cast<std::int64_t>(t));
        insert.bind(3, static_cast<std::int64_t>(pos)).bind(4, value).step();
      }
    }
    const std::string columns = rows.text(2);
    update.bind(1, columns.empty() ? std::string() : columns_json(split(columns, ',')));
    update.bind(2, static_cast<std::int64_t>(tuples.size())).bind(3, id).step();
  }
  SqliteStatement runs(db, "SELECT id, settings FROM runs WHERE settings IS NOT NULL");
  SqliteStatement settings(db, "UPDATE runs SET settings=? WHERE id=?");
  while (runs.step())
    settings.bind(1, settings_of_older_text(runs.text(1))).bind(2, runs.number(0)).step();
}

}  // namespace vl::journal
