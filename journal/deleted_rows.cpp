#include "journal/deleted_rows.h"

#include "db/sql_literal.h"
#include "journal/columns.h"

namespace vl::journal {
namespace {

// The rows of `table` that `where` selects, every value taken by its column's kind.
void read_rows(db::Connection& connection, const std::string& table, const std::string& where,
               std::vector<Row>& rows) {
  const std::vector<Column> columns = table_columns(connection, table);
  std::vector<std::string> names;
  names.reserve(columns.size());
  for (const Column& column : columns) names.push_back(column.name);
  db::Recordset found;
  found.open("SELECT " + read_list(columns) + " FROM " + table + " WHERE " + where, connection);
  for (; !found.eof(); found.move_next()) {
    Row row{RowKind::deleted, table, names, {}};
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const db::Value& value = found.field(c);
      row.values.push_back(Value::of_world(
          columns[c].kind, value.is_null() ? std::nullopt : std::optional(value.text())));
    }
    rows.push_back(std::move(row));
  }
}

}  // namespace

std::vector<Row> rows_to_delete(db::Connection& connection, const std::string& pattern) {
  const std::string drops =
      "SELECT id FROM lootdrop WHERE lootdrop.name like " + db::sql_text(pattern);
  std::vector<Row> rows;
  read_rows(connection, "lootdrop", "lootdrop.name like " + db::sql_text(pattern), rows);
  read_rows(connection, "lootdrop_entries", "lootdrop_id IN (" + drops + ")", rows);
  read_rows(connection, "loottable_entries", "lootdrop_id IN (" + drops + ")", rows);
  return rows;
}

}  // namespace vl::journal
