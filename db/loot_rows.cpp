#include "db/loot_rows.h"

#include <cctype>
#include <utility>

namespace vl::db {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string text_of(std::int64_t value) { return std::to_string(value); }
const std::string& text_of(const std::string& value) { return value; }

template <class... Fields>
std::vector<std::string> texts(const Fields&... fields) {
  return {std::string(text_of(fields))...};
}

// "v1,v2,...": the row's values, texts as `text` writes them.
void append_values(std::string& out, const LootRow& row, const TextLiteral text) {
  const LootTable& table = table_of(row);
  const std::vector<std::string> values = value_texts(row);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += table.columns[i].kind == ValueKind::text ? text(values[i]) : values[i];
  }
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
          [](const RemovedLootdrops&) -> const LootTable& { return kLootdropTable; }},
      row);
}

std::vector<std::string> value_texts(const LootRow& row) {
  return std::visit(
      Overloaded{[](const LootdropRow& r) { return texts(r.id, r.name); },
                 [](const LootdropEntryRow& r) {
                   return texts(r.lootdrop_id, r.item_id, r.item_charges, r.equip_item, r.chance,
                                r.minlevel, r.maxlevel, r.multiplier);
                 },
                 [](const LoottableRow& r) {
                   return texts(r.id, r.name, r.mincash, r.maxcash, r.avgcoin);
                 },
                 [](const LoottableEntryRow& r) {
                   return texts(r.loottable_id, r.lootdrop_id, r.multiplier, r.probability,
                                r.droplimit, r.mindrop);
                 },
                 [](const NpcLoottableRow& r) { return texts(r.npc_id, r.loottable_id); },
                 [](const RemovedLootdrops& r) { return texts(r.literal); }},
      row);
}

std::string window_statement(const LootRow& row, WindowStyle style) {
  if (const auto* npc = std::get_if<NpcLoottableRow>(&row)) {
    return "UPDATE npc_types SET loottable_id=" + text_of(npc->loottable_id) +
           " WHERE npc_types.id=" + text_of(npc->npc_id);
  }
  const LootTable& table = table_of(row);
  const bool run = style == WindowStyle::run;
  std::string sql = "INSERT INTO " + (run ? std::string(table.name) : upper(table.name));
  // The run's lootdrop insert names its two columns; the others give values only.
  if (run && &table == &kLootdropTable) sql += " (" + column_list(table) + ")";
  sql += " values (";
  append_values(sql, row, run ? double_quoted_as_is : single_quoted_as_is);
  return sql + ")";
}

InsertBatcher::InsertBatcher(const LootTable& table, std::size_t max_bytes, TextLiteral text,
                             const Statement& statement)
    : max_bytes_(max_bytes),
      text_(text),
      statement_(statement),
      head_("INSERT INTO " + std::string(table.name) + " (" + column_list(table) + ") VALUES ") {}

void InsertBatcher::add(LootRow row) {
  std::string tuple = "(";
  append_values(tuple, row, text_);
  tuple += ')';
  if (!sql_.empty() && sql_.size() + 1 + tuple.size() > max_bytes_) flush();
  sql_ += sql_.empty() ? head_ : ",";
  sql_ += tuple;
  rows_.push_back(std::move(row));
}

void InsertBatcher::flush() {
  if (sql_.empty()) return;
  std::string sql = std::exchange(sql_, {});
  std::vector<LootRow> rows = std::exchange(rows_, {});
  statement_(sql, rows);
}

}  // namespace vl::db
