#include "journal/row.h"

#include <variant>

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

std::string describe(const Row& row) {
  std::string values;
  for (const Value& value : row.values) {
    // A removal keeps the literal its statement named, shown as it was written.
    const std::string* literal = row.kind == RowKind::removed ? value.text() : nullptr;
    values += (values.empty() ? "" : ",") + (literal ? *literal : value.shown());
  }
  return row.table + " (" + values + ")";
}

std::string describe_with_columns(const Row& row) {
  if (row.columns.size() != row.values.size()) return describe(row);
  std::string values;
  for (std::size_t i = 0; i < row.values.size(); ++i) {
    const Value& value = row.values[i];
    const std::string* literal = row.kind == RowKind::removed ? value.text() : nullptr;
    values += (i == 0 ? "" : ", ") + row.columns[i] + "=" + (literal ? *literal : value.shown());
  }
  return row.table + " (" + values + ")";
}

RowKind kind_of(const db::LootRow& row) {
  if (std::holds_alternative<db::RemovedLootdrops>(row)) return RowKind::removed;
  return std::holds_alternative<db::NpcLoottableRow>(row) ? RowKind::npc : RowKind::inserted;
}

std::vector<std::string> columns_of(const db::LootRow& row) {
  if (const auto* removed = std::get_if<db::RemovedLootdrops>(&row)) return {removed->column};
  std::vector<std::string> names;
  if (const auto* copied = std::get_if<db::CopiedRow>(&row)) {
    for (const db::Column& column : *copied->columns) names.push_back(column.name);
    return names;
  }
  for (const db::TableColumn& column : db::table_of(row).columns) names.emplace_back(column.name);
  return names;
}

void append_values(std::vector<Value>& out, const db::LootRow& row) {
  if (const auto* removed = std::get_if<db::RemovedLootdrops>(&row)) {
    out.emplace_back(removed->literal);
    return;
  }
  if (const auto* copied = std::get_if<db::CopiedRow>(&row)) {
    for (std::size_t i = 0; i < copied->values.size(); ++i)
      out.push_back(Value::of_world((*copied->columns)[i].kind, copied->values[i]));
    return;
  }
  const db::LootTable& table = db::table_of(row);
  std::vector<std::string> texts = db::value_texts(row);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    // A moved NPC's third value (the loottable it had) has no column of its own.
    const db::ValueKind kind =
        i < table.columns.size() ? table.columns[i].kind : db::ValueKind::integer;
    if (kind == db::ValueKind::text)
      out.emplace_back(std::move(texts[i]));
    else
      out.push_back(Value::of_world(kind, texts[i]));
  }
}

Row journal_row(const db::LootRow& row) {
  Row journal{kind_of(row), std::string(db::table_of(row).name), columns_of(row), {}};
  append_values(journal.values, row);
  return journal;
}

}  // namespace vl::journal
