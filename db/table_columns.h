#pragma once
// The layout probe: the columns a table of the world database has, read from
// information_schema, with the kind of value each holds, and the select list
// that reads them back with every digit. Whatever reads or copies rows whole,
// in any layout of the loot tables, learns their columns here.

#include <cstdint>
#include <string>
#include <vector>

#include "db/loot_tables.h"
#include "db/odbc.h"

namespace vl::db {

struct Column {
  std::string name;
  ValueKind kind = ValueKind::text;
  std::int64_t max_length = 0;  // characters a text column holds; 0 when unlimited or no text
};

// The columns of `table` in the current database, in order. Throws db::Error.
std::vector<Column> table_columns(Connection& connection, const std::string& table);

// A column's name as a statement gives it: in backticks, a backtick in it doubled.
std::string quoted_name(const std::string& name);

// The select list that reads `columns` with every digit: "`a`,CAST(`b` AS DOUBLE) AS `b`".
std::string read_list(const std::vector<Column>& columns);

}  // namespace vl::db
