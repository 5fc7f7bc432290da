#include "loot/shared_copies.h"

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "db/sql_literal.h"
#include "db/table_columns.h"
#include "loot/plan_details.h"

namespace vl::loot {
namespace {

// The first `count` characters of UTF-8 `text` (all of it when count is 0).
std::string first_characters(const std::string& text, std::int64_t count) {
  if (count <= 0) return text;
  std::size_t at = 0;
  for (std::int64_t n = 0; at < text.size() && n < count; ++n) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  return text.substr(0, at);
}

// The name of a copy: the original's with the range once, cut to the column's length.
std::string copy_name(const std::string& name, const Plan& plan, std::int64_t max_length) {
  const std::string suffix = " [lvl_" + plan.level_low + "-" + plan.level_high + "]";
  const bool marked = name.size() >= suffix.size() &&
                      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  return first_characters(marked ? name : name + suffix, max_length);
}

std::size_t index_of(const std::vector<db::Column>& columns, const std::string& name) {
  const auto at = std::find_if(columns.begin(), columns.end(),
                               [&](const db::Column& column) { return column.name == name; });
  return static_cast<std::size_t>(at - columns.begin());
}

// Each row of `table` whose `key` is one of `ids`, all columns as read, by key.
std::map<std::int64_t, std::vector<std::vector<std::optional<std::string>>>> rows_by_key(
    db::Connection& connection, const std::vector<db::Column>& columns, const std::string& table,
    const std::string& key, const std::set<std::int64_t>& ids, const char* lock) {
  std::map<std::int64_t, std::vector<std::vector<std::optional<std::string>>>> found;
  const std::size_t key_at = index_of(columns, key);
  const std::string head =
      "SELECT " + db::read_list(columns) + " FROM " + table + " WHERE " + key + " IN ";
  for_each_row_of(connection, ids, head, lock, [&](db::Recordset& rows) {
    std::vector<std::optional<std::string>> values;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const db::Value& field = rows.field(i);
      values.push_back(field.is_null() ? std::nullopt : std::optional(field.text()));
    }
    found[rows.field(key_at).as<std::int64_t>().value_or(0)].push_back(std::move(values));
  });
  return found;
}

}  // namespace

std::map<std::int64_t, std::size_t> shared_outside(const Plan& plan,
                                                   const std::set<std::int64_t>& loottables,
                                                   db::Connection& connection, const char* lock) {
  std::map<std::int64_t, std::size_t> outside;
  for_each_row_of(connection, loottables,
                  "SELECT loottable_id,COUNT(*) FROM npc_types WHERE loottable_id IN ",
                  " AND loottable_id IN (SELECT id FROM loottable) AND " + outside_the_range(plan) +
                      " GROUP BY loottable_id" + lock,
                  [&](db::Recordset& rows) {
                    outside[rows.field(std::size_t{0}).as<std::int64_t>().value_or(0)] =
                        static_cast<std::size_t>(rows.field(1).as<std::int64_t>().value_or(0));
                  });
  return outside;
}

void plan_copies(Plan& plan, std::span<const std::int64_t> npc_ids,
                 std::span<const std::int64_t> loottables, db::Connection& connection) {
  std::set<std::int64_t> chosen;
  for (const PlannedDrop& drop : plan.drops) chosen.insert(drop.loottable_id);
  const std::map<std::int64_t, std::size_t> outside = shared_outside(plan, chosen, connection);
  plan.highest_loottable_id = highest_loottable_id(highest_id(kHighestLoottableQuery, connection));

  std::unordered_map<std::int64_t, std::vector<std::int64_t>> range_npcs;
  for (std::size_t i = 0; i < npc_ids.size(); ++i)
    if (npc_ids[i] != 0 && outside.contains(loottables[i]))
      range_npcs[loottables[i]].push_back(npc_ids[i]);
  for (PlannedDrop& drop : plan.drops) {
    const auto shared = outside.find(drop.loottable_id);
    if (shared == outside.end()) continue;
    std::vector<std::int64_t>& moved = range_npcs[drop.loottable_id];
    std::sort(moved.begin(), moved.end());
    plan.copies.push_back({drop.loottable_id, 0, std::move(moved), shared->second});
    drop.loottable_copied_from = drop.loottable_id;
  }
  renumber_copies(plan, plan.highest_loottable_id);
}

std::optional<std::int64_t> highest_loottable_id(const db::Value& max_id) {
  if (max_id.is_null()) return std::nullopt;
  const auto highest = max_id.as<std::int64_t>();
  if (!highest) throw LoottableIdsExhausted(max_id.text());
  return highest;
}

void renumber_copies(Plan& plan, std::optional<std::int64_t> highest) {
  plan.highest_loottable_id = highest;
  const std::int64_t last = highest.value_or(0);
  if (last > 0 && static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() - last) <
                      plan.copies.size())
    throw LoottableIdsExhausted(std::to_string(last));
  // Counted up before each copy, never past the last id taken: the last copy
  // may take the largest id there is.
  std::int64_t taken = last;
  std::unordered_map<std::int64_t, std::int64_t> copy_of;
  for (LoottableCopy& copy : plan.copies) copy_of[copy.original_id] = copy.copy_id = ++taken;
  for (PlannedDrop& drop : plan.drops)
    if (drop.loottable_copied_from != 0) drop.loottable_id = copy_of[drop.loottable_copied_from];
}

CopiedRows read_copied_rows(db::Connection& connection, const Plan& plan, const char* lock) {
  CopiedRows copied;
  if (plan.copies.empty()) return copied;
  std::set<std::int64_t> originals;
  for (const LoottableCopy& copy : plan.copies) originals.insert(copy.original_id);
  const auto loottable_columns =
      std::make_shared<const std::vector<db::Column>>(db::table_columns(connection, "loottable"));
  const auto entry_columns = std::make_shared<const std::vector<db::Column>>(
      db::table_columns(connection, "loottable_entries"));
  const auto tables =
      rows_by_key(connection, *loottable_columns, "loottable", "id", originals, lock);
  const auto entries =
      rows_by_key(connection, *entry_columns, "loottable_entries", "loottable_id", originals, lock);
  const std::size_t name_at = index_of(*loottable_columns, "name");
  for (const LoottableCopy& copy : plan.copies) {
    if (const auto found = tables.find(copy.original_id); found != tables.end()) {
      db::CopiedRow row{&db::kLoottableTable, loottable_columns, found->second.front()};
      if (name_at < row.values.size() && row.values[name_at])
        row.values[name_at] =
            copy_name(*row.values[name_at], plan, (*loottable_columns)[name_at].max_length);
      copied.loottables.push_back({copy.original_id, std::move(row)});
    }
    if (const auto found = entries.find(copy.original_id); found != entries.end()) {
      for (const auto& values : found->second)
        copied.entries.push_back(
            {copy.original_id, db::CopiedRow{&db::kLoottableEntriesTable, entry_columns, values}});
    }
  }
  return copied;
}

void for_each_copy_statement(const Plan& plan, const CopiedRows& rows, std::size_t max_bytes,
                             const db::InsertBatcher::Statement& statement, bool with_rows) {
  std::unordered_map<std::int64_t, std::int64_t> copy_of;
  for (const LoottableCopy& copy : plan.copies) copy_of[copy.original_id] = copy.copy_id;
  for (const auto* of_table : {&rows.loottables, &rows.entries}) {
    if (of_table->empty()) continue;
    db::InsertBatcher batch(db::LootRow(of_table->front().values), max_bytes, db::hex_literal,
                            statement, with_rows);
    for (const CopiedRows::Row& row : *of_table) {
      db::CopiedRow copied = row.values;
      const bool loottable = copied.table == &db::kLoottableTable;
      copied.values.at(index_of(*copied.columns, loottable ? "id" : "loottable_id")) =
          std::to_string(copy_of.at(row.original_id));
      batch.add(std::move(copied));
    }
    batch.flush();
  }
  // Each NPC moves only while it still has its original: a writer that moved
  // it meanwhile keeps its change (the run checks that every NPC moved).
  std::string cases, originals, ids;
  std::vector<db::LootRow> moved;
  const auto flush = [&] {
    if (ids.empty()) return;
    statement("UPDATE npc_types SET loottable_id=CASE id" + cases + " END WHERE id IN (" + ids +
                  ") AND loottable_id=CASE id" + originals + " END",
              moved);
    cases.clear();
    originals.clear();
    ids.clear();
    moved.clear();
  };
  // The statement's own words beside its cases and ids.
  constexpr std::size_t kUpdateWords = 100;
  for (const LoottableCopy& copy : plan.copies) {
    for (const std::int64_t npc : copy.moved_npcs) {
      const std::string id = std::to_string(npc);
      const std::string when = " WHEN " + id + " THEN " + std::to_string(copy.copy_id);
      const std::string was = " WHEN " + id + " THEN " + std::to_string(copy.original_id);
      if (!ids.empty() && cases.size() + originals.size() + ids.size() + when.size() + was.size() +
                                  id.size() + kUpdateWords >
                              max_bytes)
        flush();
      cases += when;
      originals += was;
      if (!ids.empty()) ids += ',';
      ids += id;
      if (with_rows) moved.emplace_back(db::NpcLoottableRow{npc, copy.copy_id, copy.original_id});
    }
  }
  flush();
}

std::string copies_summary(const Plan& plan) {
  std::size_t moved = 0, outside = 0;
  for (const LoottableCopy& copy : plan.copies) {
    moved += copy.moved_npcs.size();
    outside += copy.outside_npcs;
  }
  return "Shared loottables: " + std::to_string(plan.copies.size()) + " copied for the range (" +
         std::to_string(moved) + " NPCs moved to the copies; " + std::to_string(outside) +
         " NPCs outside keep the originals)";
}

}  // namespace vl::loot
