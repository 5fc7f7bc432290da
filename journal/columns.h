#pragma once
// The columns of a world table with the kind of value each holds, and values
// compared by that kind: integers exactly, FLOAT/DOUBLE (and DECIMAL) within
// 1e-6 relative, texts exactly. Reals are read as CAST(... AS DOUBLE), so that
// all their digits come back, not the server's six-digit display.

#include <optional>
#include <string>
#include <vector>

#include "db/loot_tables.h"
#include "db/odbc.h"

namespace vl::journal {

using db::ValueKind;

struct Column {
  std::string name;
  ValueKind kind = ValueKind::text;
};

// The columns of `table` in the current database, in order. Throws db::Error.
std::vector<Column> table_columns(db::Connection& connection, const std::string& table);

// A column's name as a statement gives it: in backticks, a backtick in it doubled.
std::string quoted_name(const std::string& name);

// The select list that reads `columns` with every digit: "`a`,CAST(`b` AS DOUBLE) AS `b`".
std::string read_list(const std::vector<Column>& columns);

// A value read by read_list (nullopt for NULL) as a literal: numbers as read, texts quoted, NULL.
std::string literal_of(ValueKind kind, const std::optional<std::string>& value);

// Whether the world's value (nullopt for NULL) equals the literal a run wrote or read.
bool same_value(ValueKind kind, const std::optional<std::string>& world,
                const std::string& literal);

// The SQL condition that the column holds the literal, by the same rule.
std::string holds_value(const Column& column, const std::string& literal);

}  // namespace vl::journal
