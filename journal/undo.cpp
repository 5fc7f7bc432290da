#include "journal/undo.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "journal/columns.h"
#include "journal/in_use.h"
#include "journal/run_ownership.h"
#include "journal/world_rows.h"

namespace vl::journal {
namespace {

using KindsAndTables = std::vector<std::pair<RowKind, std::string>>;

// Rows of the run read from the journal at a time, and keys per statement
// when the world is changed by lists of keys.
constexpr std::size_t kRowsPerChunk = 5000;
constexpr std::size_t kKeysPerStatement = 500;

// The run's rows of `kind` that `wanted` keeps (all when it is empty), a chunk
// at a time, each chunk read against the world before `each` sees it. The rows
// under the key of a full chunk's last row are carried into the next one, so
// that the rows one key holds together (a drop's entries) are judged in one
// chunk.
void for_each_chunk(Store& store, std::int64_t run, RowKind kind, bool newest_first,
                    WorldRows& world, const std::function<bool(const Row&)>& wanted,
                    const std::function<void(const std::vector<Row>&)>& each) {
  std::int64_t after = newest_first ? std::numeric_limits<std::int64_t>::max() : 0;
  std::vector<Row> carried;
  for (;;) {
    Store::Page page = store.rows_page(run, kind, after, kRowsPerChunk, newest_first);
    const bool more = page.rows.size() >= kRowsPerChunk;
    if (!page.ids.empty()) after = page.ids.back();
    std::vector<Row> chunk = std::exchange(carried, {});
    chunk.insert(chunk.end(), std::make_move_iterator(page.rows.begin()),
                 std::make_move_iterator(page.rows.end()));
    if (chunk.empty()) return;
    if (more) {
      const Row& last = chunk.back();
      const Value key = world.key_of(last);
      const auto same_key = [&](const Row& row) {
        return row.table == last.table && world.key_of(row) == key;
      };
      std::size_t cut = chunk.size() - 1;
      while (cut > 0 && same_key(chunk[cut - 1])) --cut;
      if (cut > 0) {
        carried.assign(std::make_move_iterator(chunk.begin() + static_cast<std::ptrdiff_t>(cut)),
                       std::make_move_iterator(chunk.end()));
        chunk.resize(cut);
      }
    }
    if (wanted) std::erase_if(chunk, [&](const Row& row) { return !wanted(row); });
    world.read(chunk);
    each(chunk);
  }
}

// Links into each loottable in `tables`, counted in the world (by its text of the id).
std::map<std::string, int> links_into(WorldRows& world, const std::set<Value>& tables) {
  std::map<std::string, int> links;
  if (tables.empty()) return links;
  world.select("SELECT loottable_id, COUNT(*) FROM loottable_entries WHERE loottable_id IN (" +
                   values_listed(std::vector<Value>(tables.begin(), tables.end())) +
                   ") GROUP BY loottable_id",
               [&links](const std::vector<db::Value>& row) {
                 links[row.at(0).text()] = row.at(1).as<int>().value_or(0);
               });
  return links;
}

// The shortest run of consecutive integer keys removed by one range.
constexpr std::size_t kKeysPerRange = 3;

// DELETE ... WHERE key BETWEEN first AND last for each run of consecutive
// integer keys (one statement however long: the drops of a run mostly take
// consecutive ids), and DELETE ... WHERE key IN (...) for the other keys, a few
// hundred at a time.
void delete_by_keys(const std::string& table, const std::string& column,
                    const std::set<Value>& keys, std::vector<std::string>& statements) {
  const std::string head = "DELETE FROM `" + table + "` WHERE `" + column + "`";
  std::vector<std::int64_t> ids;
  std::set<Value> listed_keys;
  for (const Value& key : keys) {
    if (const std::int64_t* id = key.integer())
      ids.push_back(*id);
    else
      listed_keys.insert(key);
  }
  std::sort(ids.begin(), ids.end());
  for (std::size_t first = 0, last = 0; first < ids.size(); first = last + 1) {
    last = first;
    while (last + 1 < ids.size() && ids[last + 1] - 1 == ids[last]) ++last;
    if (last - first + 1 >= kKeysPerRange) {
      statements.push_back(head + " BETWEEN " + std::to_string(ids[first]) + " AND " +
                           std::to_string(ids[last]));
      continue;
    }
    for (std::size_t i = first; i <= last; ++i) listed_keys.insert(Value(ids[i]));
  }
  const std::vector<Value> rest(listed_keys.begin(), listed_keys.end());
  for (std::size_t from = 0; from < rest.size(); from += kKeysPerStatement) {
    const auto end = std::min(rest.size(), from + kKeysPerStatement);
    statements.push_back(head + " IN (" +
                         values_listed({rest.begin() + static_cast<std::ptrdiff_t>(from),
                                        rest.begin() + static_cast<std::ptrdiff_t>(end)}) +
                         ")");
  }
}

// Points NPCs back a few hundred at a time: "UPDATE npc_types SET
// loottable_id=CASE id WHEN npc THEN before ... END WHERE id IN (...)". Each
// NPC was read (locked, or read again locked before this is sent) with the
// loottable the run gave it.
void point_back(const std::vector<std::pair<Value, Value>>& npcs,
                std::vector<std::string>& statements) {
  for (std::size_t from = 0; from < npcs.size(); from += kKeysPerStatement) {
    std::string cases, ids;
    for (std::size_t i = from; i < std::min(npcs.size(), from + kKeysPerStatement); ++i) {
      const std::string id = npcs[i].first.sql();
      cases.append(" WHEN ").append(id).append(" THEN ").append(npcs[i].second.sql());
      ids.append(ids.empty() ? "" : ",").append(id);
    }
    std::string update = "UPDATE npc_types SET loottable_id=CASE id";
    statements.push_back(update.append(cases).append(" END WHERE id IN (").append(ids).append(")"));
  }
}

void add_conflict(UndoPlan& plan, const std::string& table, std::string sentence) {
  ++plan.conflicts_per_table[table];
  plan.conflicts.push_back(std::move(sentence));
}

// The later runs that deleted rows of `gone` (table, key), oldest first.
std::vector<std::int64_t> later_deleters(
    Store& store, std::int64_t run, WorldRows& world,
    const std::set<std::pair<std::string, std::string>>& gone) {
  std::vector<std::int64_t> deleters;
  if (gone.empty()) return deleters;
  for (const RunInfo& later : store.runs()) {  // newest first
    if (later.id <= run) break;
    for (std::int64_t after = 0;;) {
      Store::Page page = store.rows_page(later.id, RowKind::deleted, after, kRowsPerChunk, false);
      const bool deleted_some =
          std::any_of(page.rows.begin(), page.rows.end(), [&](const Row& row) {
            return gone.contains({row.table, world.value(row, key_column(row.table)).plain()});
          });
      if (deleted_some) {
        deleters.insert(deleters.begin(), later.id);
        break;
      }
      if (page.rows.size() < kRowsPerChunk) break;
      after = page.ids.back();
    }
  }
  return deleters;
}

void plan_npcs(WorldRows& world, const std::vector<Row>& rows, UndoPlan& plan) {
  std::vector<std::pair<Value, Value>> back;  // NPC, the loottable it had
  for (const Row& row : rows) {
    if (row.kind != RowKind::npc || row.values.size() < 2) continue;
    const Value& npc = row.values[0];
    const Value& table = row.values[1];
    // The loottable the NPC had: a third value for one moved to a copy, else none (0).
    const Value before = row.values.size() > 2 ? row.values[2] : Value(std::int64_t{0});
    const auto& found = world.under("npc_types", npc.plain());
    std::optional<Field> now;  // none: the NPC is gone
    if (!found.empty()) now = found.front().first[world.column_index("npc_types", "loottable_id")];
    const auto holds = [&now](const Value& value) {
      return now && same_value(ValueKind::integer, *now, value);
    };
    if (holds(table)) {
      back.emplace_back(npc, before);
    } else if (!row.uncertain || !holds(before)) {
      std::string conflict = "NPC " + npc.shown() + " now has loottable ";
      conflict.append(!now ? "(none, the NPC is gone)" : now->value_or("NULL"));
      conflict.append(", the run gave it ").append(table.shown()).append(".");
      add_conflict(plan, "npc_types", std::move(conflict));
    }
  }
  point_back(back, plan.statements);
}

// The statements that remove the inserted rows, gathered by table over the
// chunks and given in the end for the tables in the reverse order of their
// first rows: a key whose rows are all the run's goes in one list, the others
// row by row. The entries of a loottable the run made (a copy) go by that
// loottable when each entry it holds is one of the run's as written. Rows of a
// drop are kept with its lootdrop id (Value::plain), so that a drop left as it
// is (DropOwnership) can be taken out whole in the end.
struct Removals {
  // By table: each row's drop ("" for a row of no drop) and its DELETE.
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> one_by_one;
  std::map<std::string, std::set<Value>> whole_keys;
  struct Link {
    Value loottable;
    std::string drop, sql;
  };
  std::vector<Link> entries;                                // removed one by one
  std::map<Value, int> matched_entries;                     // by loottable
  std::map<std::string, std::vector<Value>> links_of_drop;  // the loottables of its links
  std::map<Value, int> made_loottables;                     // that go, with the entries they hold

  // The loottables that go with all their entries, each of those the run's as
  // written, that hold entries left to remove one by one.
  std::set<Value> whole_loottables() const {
    std::set<Value> whole;
    for (const Link& link : entries) {
      const auto made = made_loottables.find(link.loottable);
      const auto matched = matched_entries.find(link.loottable);
      if (made != made_loottables.end() && matched != matched_entries.end() &&
          matched->second == made->second)
        whole.insert(link.loottable);
    }
    return whole;
  }

  // Takes the rows of the drops `left` out: they stay as they are.
  void leave(const std::set<std::string>& left) {
    for (const std::string& drop : left)
      for (const Value& loottable : links_of_drop[drop]) --matched_entries[loottable];
    for (const char* table : {"lootdrop", "lootdrop_entries", "loottable_entries"})
      std::erase_if(whole_keys[table],
                    [&left](const Value& key) { return left.contains(key.plain()); });
    for (auto& [table, rows] : one_by_one)
      std::erase_if(rows, [&left](const auto& row) { return left.contains(row.first); });
    std::erase_if(entries, [&left](const Link& link) { return left.contains(link.drop); });
  }
};

void plan_removals(WorldRows& world, const std::string& table,
                   const std::vector<const Row*>& removed, Removals& removals) {
  const bool entries = table == "loottable_entries";
  std::map<Value, std::vector<const Row*>> by_key;
  for (const Row* row : removed) {
    const Value& key = world.value(*row, key_column(table));
    by_key[key].push_back(row);
    if (!entries) continue;
    const Value& loottable = world.value(*row, "loottable_id");
    ++removals.matched_entries[loottable];
    removals.links_of_drop[key.plain()].push_back(loottable);
  }
  for (const auto& [key, of_key] : by_key) {
    auto& under = world.under(table, key.plain());
    const bool all_matched =
        std::all_of(under.begin(), under.end(), [](const auto& r) { return r.second; });
    if (all_matched && under.size() == of_key.size()) {
      removals.whole_keys[table].insert(key);
      continue;
    }
    for (const Row* row : of_key) {
      std::string where;
      const auto& names = world.columns(*row);
      for (std::size_t i = 0; i < row->values.size() && i < names.size(); ++i)
        where += (where.empty() ? "" : " AND ") + holds_value(names[i], row->values[i]);
      std::string sql = "DELETE FROM `" + table + "` WHERE ";
      sql.append(where).append(" LIMIT 1");
      if (entries)
        removals.entries.push_back(
            {world.value(*row, "loottable_id"), key.plain(), std::move(sql)});
      else
        removals.one_by_one[table].emplace_back(of_a_drop(table) ? key.plain() : "",
                                                std::move(sql));
    }
  }
}

// Matched newest first; what no longer matches stays, listed when it surely
// reached the world. A loottable the run made goes only without links of
// others and without NPCs the run did not move to it; a drop only while it is
// the run's (DropOwnership).
void plan_inserted(Store& store, std::int64_t run, const KindsAndTables& tables, WorldRows& world,
                   UndoPlan& plan, const CopyUsers& users) {
  std::map<Value, int> own_links;  // links the run made, counted back to its loottable
  Removals removals;
  DropOwnership ownership;
  struct Conflict {
    std::string drop, table, sentence;  // drop: the row's drop, or none
  };
  std::vector<Conflict> conflicts;
  std::set<std::pair<std::string, std::string>> gone;  // table, key: rows the world lost
  const std::string no_drop;
  for_each_chunk(store, run, RowKind::inserted, true, world, nullptr, [&](const auto& rows) {
    std::set<Value> created_tables;
    for (const Row& row : rows) {
      if (row.table == "loottable_entries") ++own_links[world.value(row, "loottable_id")];
      if (row.table == "loottable") created_tables.insert(row.values[0]);
    }
    const std::map<std::string, int> links = links_into(world, created_tables);
    const std::map<std::string, int> npcs =
        users.others(world, {created_tables.begin(), created_tables.end()});
    std::map<std::string, std::vector<const Row*>> removed;  // by table
    std::vector<bool> matched;
    for (const Row& row : rows) {
      matched.push_back(world.match(row));
      if (!matched.back()) {
        if (row.uncertain) continue;
        const std::string key = world.value(row, key_column(row.table)).plain();
        conflicts.push_back({of_a_drop(row.table) ? key : no_drop, row.table,
                             describe(row) + " is no longer as the run wrote it."});
        if (world.under(row.table, key).empty()) gone.emplace(row.table, key);
        continue;
      }
      if (row.table == "loottable") {
        const Value& id = row.values[0];
        const auto at = links.find(id.plain());
        const int held = at == links.end() ? 0 : at->second, others = held - own_links[id];
        if (others > 0) {
          conflicts.push_back({no_drop, "loottable",
                               "loottable " + id.shown() + " holds " + std::to_string(others) +
                                   " links the run did not make."});
          continue;
        }
        if (const auto used = npcs.find(id.plain()); used != npcs.end()) {
          conflicts.push_back({no_drop, "loottable",
                               "loottable " + id.shown() + " is used by " +
                                   std::to_string(used->second) +
                                   " NPCs the run did not move to it."});
          continue;
        }
        removals.made_loottables[id] = held;
      }
      removed[row.table].push_back(&row);
    }
    ownership.observe(world, rows, matched);
    for (const auto& [table, of_table] : removed) plan_removals(world, table, of_table, removals);
  });
  ownership.check_later_runs(store, run, world);
  for (std::string& conflict : ownership.conflicts())
    add_conflict(plan, "lootdrop", std::move(conflict));
  removals.leave(ownership.left_alone());
  for (Conflict& conflict : conflicts)
    if (!ownership.left_alone().contains(conflict.drop))
      add_conflict(plan, conflict.table, std::move(conflict.sentence));
  plan.deleted_by_later_runs = later_deleters(store, run, world, gone);
  // A copy goes only with every link it holds as the run wrote it: one changed
  // since (a conflict), or a drop left as it is, keeps it with the rest of its links.
  for (const auto& [id, held] : removals.made_loottables) {
    const auto matched = removals.matched_entries.find(id);
    if ((matched == removals.matched_entries.end() ? 0 : matched->second) == held) continue;
    removals.whole_keys["loottable"].erase(id);
    std::erase_if(removals.entries, [&loottable = id](const Removals::Link& link) {
      return link.loottable == loottable;
    });
  }
  const std::set<Value> whole_loottables = removals.whole_loottables();
  for (Removals::Link& link : removals.entries)
    if (!whole_loottables.contains(link.loottable))
      removals.one_by_one["loottable_entries"].emplace_back(link.drop, std::move(link.sql));
  for (auto written = tables.rbegin(); written != tables.rend(); ++written) {
    const auto& [kind, table] = *written;
    if (kind != RowKind::inserted) continue;
    for (auto& [drop, sql] : removals.one_by_one[table]) plan.statements.push_back(std::move(sql));
    delete_by_keys(table, key_column(table), removals.whole_keys[table], plan.statements);
    if (table == "loottable_entries")
      delete_by_keys(table, "loottable_id", whole_loottables, plan.statements);
  }
}

// The rows put back into one table, a few hundred to an INSERT.
struct PutBack {
  std::vector<std::string> names;  // the columns of its first row
  std::string values;              // of the rows not yet in a statement
  std::size_t pending = 0;
  std::vector<std::string> statements;

  void flush(const std::string& table) {
    if (pending == 0) return;
    std::string insert = "INSERT INTO `" + table + "` (";
    insert.append(listed(names)).append(") VALUES ").append(values);
    statements.push_back(std::move(insert));
    values.clear();
    pending = 0;
  }
};

// The rows a deletion removed, put back: a lootdrop (or loottable) only where
// its id is free, whatever holds it now, and the rows that hung on a lootdrop
// only with it, never under another drop.
void plan_deleted(Store& store, std::int64_t run, WorldRows& world, UndoPlan& plan) {
  std::map<std::string, PutBack> put_back;
  std::vector<std::string> tables;  // in the order of their first row put back
  std::set<Value> drops_back;
  for (const bool children : {false, true}) {
    const auto of_this_pass = [children](const Row& row) {
      return is_child(row.table) == children;
    };
    for_each_chunk(store, run, RowKind::deleted, false, world, of_this_pass, [&](const auto& rows) {
      for (const Row& row : rows) {
        // Written ahead and still there: the deletion never reached it.
        if (row.uncertain && world.match(row)) continue;
        const Value& id = world.value(row, key_column(row.table));
        if (children && !drops_back.contains(id)) continue;
        if (!children && !world.under(row.table, id.plain()).empty()) {
          add_conflict(plan, row.table,
                       row.table + " id " + id.shown() + " is taken; " + describe(row) +
                           " cannot be put back.");
          continue;
        }
        if (row.table == "lootdrop") drops_back.insert(id);
        auto [at, first] = put_back.try_emplace(row.table);
        PutBack& into = at->second;
        if (first) {
          tables.push_back(row.table);
          for (const Column& column : world.columns(row)) into.names.push_back(column.name);
        }
        into.values += (into.values.empty() ? "(" : ",(") + values_listed(row.values) + ")";
        if (++into.pending == kKeysPerStatement) into.flush(row.table);
      }
    });
  }
  for (const std::string& table : tables) {
    PutBack& into = put_back[table];
    into.flush(table);
    for (std::string& sql : into.statements) plan.statements.push_back(std::move(sql));
  }
}

}  // namespace

UndoPlan plan_undo(db::Connection& connection, Store& store, std::int64_t run, bool locking) {
  WorldRows world(connection, locking);
  UndoPlan plan;
  const KindsAndTables tables = store.tables_of(run);
  const auto has = [&tables](RowKind kind) {
    return std::any_of(tables.begin(), tables.end(),
                       [kind](const auto& t) { return t.first == kind; });
  };
  CopyUsers users;
  if (has(RowKind::npc)) {
    for_each_chunk(store, run, RowKind::npc, false, world, nullptr,
                   [&](const std::vector<Row>& rows) {
                     plan_npcs(world, rows, plan);
                     users.note_moves(rows);
                   });
  }
  if (has(RowKind::inserted)) plan_inserted(store, run, tables, world, plan, users);
  if (has(RowKind::deleted)) plan_deleted(store, run, world, plan);
  plan.reads = world.reads();
  return plan;
}

}  // namespace vl::journal
