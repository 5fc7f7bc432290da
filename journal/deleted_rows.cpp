#include "journal/deleted_rows.h"

#include <regex>

namespace vl::journal {
namespace {

// Numbers stay numbers, so that a FLOAT column compares within its precision.
std::string literal(const db::Value& value) {
  static const std::regex kNumber(R"(-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?)");
  if (value.is_null()) return "NULL";
  if (std::regex_match(value.text(), kNumber)) return value.text();
  return quoted(value.text());
}

void read_rows(db::Connection& connection, const std::string& table, const std::string& sql,
               std::vector<Row>& rows) {
  db::Recordset found;
  found.open(sql, connection);
  std::vector<std::string> columns;
  for (std::size_t c = 0; c < found.column_count(); ++c) columns.push_back(found.column_name(c));
  for (; !found.eof(); found.move_next()) {
    Row row{RowKind::deleted, table, columns, {}};
    for (std::size_t c = 0; c < columns.size(); ++c) {
      row.values.push_back(literal(found.field(c)));
    }
    rows.push_back(std::move(row));
  }
}

}  // namespace

std::vector<Row> rows_to_delete(db::Connection& connection, const std::string& pattern) {
  const std::string drops = "SELECT id FROM lootdrop WHERE lootdrop.name like " + quoted(pattern);
  std::vector<Row> rows;
  read_rows(connection, "lootdrop",
            "SELECT * FROM lootdrop WHERE lootdrop.name like " + quoted(pattern), rows);
  read_rows(connection, "lootdrop_entries",
            "SELECT * FROM lootdrop_entries WHERE lootdrop_id IN (" + drops + ")", rows);
  read_rows(connection, "loottable_entries",
            "SELECT * FROM loottable_entries WHERE lootdrop_id IN (" + drops + ")", rows);
  return rows;
}

}  // namespace vl::journal
