#include "db/table_columns.h"

#include <algorithm>
#include <iterator>

#include "db/sql_literal.h"

namespace vl::db {
namespace {

ValueKind kind_of_type(const std::string& data_type) {
  static const char* const kIntegers[] = {"tinyint", "smallint", "mediumint", "int",
                                          "bigint",  "year",     "bit"};
  static const char* const kReals[] = {"float", "double", "decimal"};
  const auto is = [&](const auto& names) {
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* name) { return data_type == name; });
  };
  return is(kIntegers) ? ValueKind::integer : is(kReals) ? ValueKind::real : ValueKind::text;
}

}  // namespace

std::string quoted_name(const std::string& name) {
  std::string quoted = "`";
  for (const char c : name) quoted += c == '`' ? std::string("``") : std::string(1, c);
  return quoted + "`";
}

std::vector<Column> table_columns(Connection& connection, const std::string& table) {
  Recordset found;
  found.open(
      "SELECT COLUMN_NAME,DATA_TYPE,CHARACTER_MAXIMUM_LENGTH FROM information_schema.COLUMNS "
      "WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME=" +
          hex_literal(table) + " ORDER BY ORDINAL_POSITION",
      connection);
  // LONGTEXT's 4294967295 characters count as no limit.
  constexpr std::int64_t kUnlimited = 1'000'000'000;
  std::vector<Column> columns;
  for (; !found.eof(); found.move_next()) {
    const ValueKind kind = kind_of_type(found.field(1).text());
    const std::int64_t length = found.field(2).as<std::int64_t>().value_or(0);
    const bool limited = kind == ValueKind::text && length < kUnlimited;
    columns.push_back({found.field(std::size_t{0}).text(), kind, limited ? length : 0});
  }
  return columns;
}

std::string read_list(const std::vector<Column>& columns) {
  std::string list;
  for (const Column& column : columns) {
    const std::string name = quoted_name(column.name);
    if (!list.empty()) list += ',';
    if (column.kind == ValueKind::real) list.append("CAST(").append(name).append(" AS DOUBLE) AS ");
    list += name;
  }
  return list;
}

}  // namespace vl::db
