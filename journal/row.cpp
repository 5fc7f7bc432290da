#include "journal/row.h"

#include <charconv>
#include <variant>

#include "db/sql_literal.h"

namespace vl::journal {

const char* kind_name(RowKind kind) {
  switch (kind) {
    case RowKind::inserted:
      return "inserted";
    case RowKind::deleted:
      return "deleted";
    case RowKind::npc:
      return "npc";
    case RowKind::removed:
      return "removed";
  }
  return "";
}

std::string unquoted(const std::string& literal) {
  std::string text;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 2 < literal.size()) ++i;
    text += literal[i];
  }
  return text;
}

std::string sql_value(const std::string& value) {
  if (value == "NULL") return value;
  if (!value.empty() && value.front() == '\'') return db::hex_literal(unquoted(value));
  if (auto integer = db::integer_literal(value)) return *integer;
  double number = 0;
  const char* end = value.data() + value.size();
  const bool plain =
      !value.empty() && value.find_first_not_of("0123456789.eE+-") == std::string::npos;
  if (plain && std::from_chars(value.data(), end, number).ptr == end) return value;
  return db::hex_literal(value);
}

std::string describe(const Row& row) {
  std::string values;
  for (const std::string& value : row.values) values += (values.empty() ? "" : ",") + value;
  return row.table + " (" + values + ")";
}

RowKind kind_of(const db::LootRow& row) {
  if (std::holds_alternative<db::RemovedLootdrops>(row)) return RowKind::removed;
  return std::holds_alternative<db::NpcLoottableRow>(row) ? RowKind::npc : RowKind::inserted;
}

Row journal_row(const db::LootRow& row) {
  const db::LootTable& table = db::table_of(row);
  std::vector<std::string> values = db::value_texts(row);
  if (const auto* removed = std::get_if<db::RemovedLootdrops>(&row))
    return Row{RowKind::removed, std::string(table.name), {removed->column}, std::move(values)};
  Row journal{kind_of(row), std::string(table.name), {}, {}};
  const auto* copied = std::get_if<db::CopiedRow>(&row);
  journal.columns.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (copied) {
      const db::Column& column = (*copied->columns)[i];
      journal.columns.push_back(column.name);
      if (column.kind == db::ValueKind::text && copied->values[i])
        values[i] = db::sql_text(values[i]);
      continue;
    }
    // A moved NPC's third value (the loottable it had) has no column of its own.
    if (i >= table.columns.size()) break;
    const db::TableColumn& column = table.columns[i];
    journal.columns.emplace_back(column.name);
    if (column.kind == db::ValueKind::text) values[i] = db::sql_text(values[i]);
  }
  journal.values = std::move(values);
  return journal;
}

}  // namespace vl::journal
