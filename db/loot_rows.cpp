#include "db/loot_rows.h"

#include <array>
#include <cctype>
#include <charconv>
#include <type_traits>
#include <utility>

namespace vl::db {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Calls `f` with each of the row's values in its table's column order: whole
// numbers as std::int64_t, the rest as their text.
template <class F>
void for_each_value(const LootRow& row, F&& f) {
  const auto each = [&f](const auto&... values) {
    (f(static_cast<std::conditional_t<std::is_integral_v<std::decay_t<decltype(values)>>,
                                      std::int64_t, const std::string&>>(values)),
     ...);
  };
  std::visit(Overloaded{[&](const LootdropRow& r) { each(r.id, r.name); },
                        [&](const LootdropEntryRow& r) {
                          each(r.lootdrop_id, r.item_id, r.item_charges, r.equip_item, r.chance,
                               r.minlevel, r.maxlevel, r.multiplier);
                        },
                        [&](const LoottableRow& r) {
                          each(r.id, r.name, r.mincash, r.maxcash, r.avgcoin);
                        },
                        [&](const LoottableEntryRow& r) {
                          each(r.loottable_id, r.lootdrop_id, r.multiplier, r.probability,
                               r.droplimit, r.mindrop);
                        },
                        [&](const NpcLoottableRow& r) {
                          if (r.previous_loottable_id == 0) return each(r.npc_id, r.loottable_id);
                          each(r.npc_id, r.loottable_id, r.previous_loottable_id);
                        },
                        [&](const RemovedLootdrops& r) { each(r.literal); },
                        [&](const CopiedRow&) {}},  // values of any layout: see their callers
             row);
}

void append_number(std::string& out, std::int64_t value) {
  std::array<char, 24> digits;
  out.append(digits.data(), std::to_chars(digits.begin(), digits.end(), value).ptr);
}

std::string double_quoted_as_is(std::string_view text) {
  return std::string("\"").append(text).append("\"");
}
std::string single_quoted_as_is(std::string_view text) {
  return std::string("'").append(text).append("'");
}

}  // namespace

const LootTable& table_of(const LootRow& row) {
  return std::visit(
      Overloaded{
          [](const LootdropRow&) -> const LootTable& { return kLootdropTable; },
          [](const LootdropEntryRow&) -> const LootTable& { return kLootdropEntriesTable; },
          [](const LoottableRow&) -> const LootTable& { return kLoottableTable; },
          [](const LoottableEntryRow&) -> const LootTable& { return kLoottableEntriesTable; },
          [](const NpcLoottableRow&) -> const LootTable& { return kNpcLoottableColumns; },
          [](const RemovedLootdrops&) -> const LootTable& { return kLootdropTable; },
          [](const CopiedRow& r) -> const LootTable& { return *r.table; }},
      row);
}

std::string column_names(const LootRow& row, bool quoted) {
  const auto* copied = std::get_if<CopiedRow>(&row);
  if (!copied) return column_list(table_of(row));
  std::string names;
  for (const Column& column : *copied->columns) {
    if (!names.empty()) names += ',';
    names += quoted ? quoted_name(column.name) : column.name;
  }
  return names;
}

std::vector<std::string> value_texts(const LootRow& row) {
  std::vector<std::string> texts;
  if (const auto* copied = std::get_if<CopiedRow>(&row)) {
    for (const auto& value : copied->values) texts.push_back(value.value_or("NULL"));
    return texts;
  }
  for_each_value(row, [&texts](const auto& value) {
    if constexpr (std::is_same_v<decltype(value), const std::int64_t&>) {
      texts.emplace_back();
      append_number(texts.back(), value);
    } else {
      texts.push_back(value);
    }
  });
  return texts;
}

void append_values(std::string& out, const LootRow& row, TextLiteral text, char separator) {
  if (const auto* copied = std::get_if<CopiedRow>(&row)) {
    for (std::size_t i = 0; i < copied->values.size(); ++i) {
      if (i) out += separator;
      const auto& value = copied->values[i];
      const bool is_text = (*copied->columns)[i].kind == ValueKind::text;
      out += !value ? std::string("NULL") : is_text ? text(*value) : *value;
    }
    return;
  }
  const LootTable& table = table_of(row);
  std::size_t column = 0;
  for_each_value(row, [&](const auto& value) {
    if (column) out += separator;
    if constexpr (std::is_same_v<decltype(value), const std::int64_t&>) {
      append_number(out, value);
    } else {
      // A removal's literal is already one.
      const bool is_text = table.columns[column].kind == ValueKind::text &&
                           !std::holds_alternative<RemovedLootdrops>(row);
      out += is_text ? text(value) : value;
    }
    ++column;
  });
}

std::string repair_table_name(const LootTable& table) { return upper(table.name); }

std::string window_statement(const LootRow& row, WindowStyle style) {
  if (const auto* npc = std::get_if<NpcLoottableRow>(&row)) {
    return "UPDATE npc_types SET loottable_id=" + std::to_string(npc->loottable_id) +
           " WHERE npc_types.id=" + std::to_string(npc->npc_id);
  }
  const LootTable& table = table_of(row);
  const bool run = style == WindowStyle::run;
  std::string sql = "INSERT INTO " + (run ? std::string(table.name) : repair_table_name(table));
  // The run's lootdrop insert names its two columns; the others give values only.
  if (run && &table == &kLootdropTable) sql += " (" + column_list(table) + ")";
  sql += " values (";
  append_values(sql, row, run ? double_quoted_as_is : single_quoted_as_is);
  return sql + ")";
}

InsertBatcher::InsertBatcher(const LootTable& table, std::size_t max_bytes, TextLiteral text,
                             const Statement& statement, bool with_rows)
    : InsertBatcher(table.name, column_list(table), max_bytes, text, statement, with_rows) {}

InsertBatcher::InsertBatcher(const LootRow& shape, std::size_t max_bytes, TextLiteral text,
                             const Statement& statement, bool with_rows)
    : InsertBatcher(table_of(shape).name, column_names(shape, true), max_bytes, text, statement,
                    with_rows) {}

InsertBatcher::InsertBatcher(std::string_view table, const std::string& columns,
                             std::size_t max_bytes, TextLiteral text, const Statement& statement,
                             bool with_rows)
    : max_bytes_(max_bytes),
      text_(text),
      with_rows_(with_rows),
      statement_(statement),
      head_("INSERT INTO " + std::string(table) + " (" + columns + ") VALUES ") {}

void InsertBatcher::add(LootRow row) {
  std::string tuple = "(";
  append_values(tuple, row, text_);
  tuple += ')';
  if (!sql_.empty() && sql_.size() + 1 + tuple.size() > max_bytes_) flush();
  sql_ += sql_.empty() ? head_ : ",";
  sql_ += tuple;
  if (with_rows_) rows_.push_back(std::move(row));
}

void InsertBatcher::flush() {
  if (sql_.empty()) return;
  std::string sql = std::exchange(sql_, {});
  std::vector<LootRow> rows = std::exchange(rows_, {});
  statement_(sql, rows);
}

}  // namespace vl::db
