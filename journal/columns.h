#pragma once
// The columns of a world table with the kind of value each holds, and values
// compared by that kind: integers exactly, FLOAT/DOUBLE (and DECIMAL) within
// 1e-6 relative, texts exactly. Reals are read as CAST(... AS DOUBLE), so that
// all their digits come back, not the server's six-digit display.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/loot_tables.h"
#include "db/odbc.h"
#include "db/table_columns.h"
#include "journal/value.h"

namespace vl::journal {

using db::ValueKind;

// The layout probe's (db/table_columns.h).
using db::Column;
using db::quoted_name;
using db::read_list;
using db::table_columns;

// Whether the world's value (nullopt for NULL), read by read_list, equals the
// value a run wrote or read.
bool same_value(ValueKind kind, const std::optional<std::string>& world, const Value& value);

// A world value as a whole number, as same_value reads an integer column's;
// nullopt for anything else.
std::optional<std::int64_t> whole_number(const std::string& text);

// The SQL condition that the column holds the value, by the same rule.
std::string holds_value(const Column& column, const Value& value);

}  // namespace vl::journal
