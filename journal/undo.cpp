#include "journal/undo.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "db/engines.h"
#include "journal/columns.h"

namespace vl::journal {
namespace {

// Keys per statement when the world is read or changed by lists of keys.
constexpr std::size_t kKeysPerStatement = 500;

// A value as the world holds it: its text, or nullopt for NULL.
using Field = std::optional<std::string>;
using WorldRow = std::vector<Field>;

// The column rows of a table are read and removed by: what every row the run
// wrote names and what stays with it (a drop's entries and links by the drop).
std::string key_column(const std::string& table) {
  return table == "lootdrop_entries" || table == "loottable_entries" ? "lootdrop_id" : "id";
}

bool is_child(const std::string& table) { return key_column(table) == "lootdrop_id"; }

// Column names quoted for a statement (quoted_name), comma-separated.
std::string listed(const std::vector<std::string>& columns) {
  std::string list;
  for (const std::string& column : columns) list += (list.empty() ? "" : ",") + quoted_name(column);
  return list;
}

// Values of rows (keys among them) as a statement gets them: see sql_value.
std::string values_listed(const std::vector<std::string>& values) {
  std::string list;
  for (const std::string& value : values) list += (list.empty() ? "" : ",") + sql_value(value);
  return list;
}

// The rows of the world a run's rows are compared with, read by key in a few
// statements per table instead of one per row.
class World {
 public:
  // `locking`: every read takes the rows FOR UPDATE (inside the undo's transaction).
  World(db::Connection& connection, bool locking) : connection_(connection), locking_(locking) {}

  // The row's columns: those its statement named, else all of its table's.
  const std::vector<Column>& columns(const Row& row) {
    auto& table = described(row.table);
    if (row.columns.empty()) return table;
    auto [at, added] = named_.try_emplace(&row);
    if (added) {
      for (const std::string& name : row.columns) {
        const auto found = std::find_if(table.begin(), table.end(),
                                        [&](const Column& column) { return column.name == name; });
        at->second.push_back(found == table.end() ? Column{name} : *found);
      }
    }
    return at->second;
  }

  // The row's value of `column`, "" when it has none.
  std::string value(const Row& row, const std::string& column) {
    const auto& names = columns(row);
    for (std::size_t i = 0; i < names.size() && i < row.values.size(); ++i)
      if (names[i].name == column) return row.values[i];
    return "";
  }

  // Reads the rows of each table under the keys the run's rows name.
  void read(const std::vector<Row>& rows) {
    std::map<std::string, std::set<std::string>> keys;
    std::map<std::string, const Row*> shape;  // a row of the table, for its columns
    for (const Row& row : rows) {
      if (row.kind == RowKind::removed) continue;
      const std::string key = value(row, key_column(row.table));
      if (key.empty() || key == "NULL") continue;
      keys[row.table].insert(key);
      shape.try_emplace(row.table, &row);
    }
    for (const auto& [table, wanted] : keys) {
      const Row& row = *shape[table];
      const std::vector<std::string> keys_of_table(wanted.begin(), wanted.end());
      for (std::size_t from = 0; from < keys_of_table.size(); from += kKeysPerStatement) {
        const std::vector<std::string> batch(
            keys_of_table.begin() + static_cast<std::ptrdiff_t>(from),
            keys_of_table.begin() + static_cast<std::ptrdiff_t>(
                                        std::min(keys_of_table.size(), from + kKeysPerStatement)));
        read_batch(row, batch);
      }
    }
  }

  // The world's rows of `table` under `key`, each with whether a row of the
  // run has already been matched to it.
  std::vector<std::pair<WorldRow, bool>>& under(const std::string& table, const std::string& key) {
    return rows_[table][key];
  }

  // Matches the run's row to a world row equal to it not matched before.
  bool match(const Row& row) {
    const auto& names = columns(row);
    for (auto& [world, matched] : under(row.table, value(row, key_column(row.table)))) {
      if (matched) continue;
      bool same = true;
      for (std::size_t i = 0; same && i < row.values.size() && i < names.size(); ++i) {
        const std::size_t at = column_index(row.table, names[i].name);
        same = at < world.size() && same_value(names[i].kind, world[at], row.values[i]);
      }
      if (same) return matched = true;
    }
    return false;
  }

  std::size_t column_index(const std::string& table, const std::string& column) {
    const auto& read = read_columns_[table];
    return static_cast<std::size_t>(
        std::find_if(read.begin(), read.end(), [&](const Column& c) { return c.name == column; }) -
        read.begin());
  }

  // " FOR UPDATE" when the reads lock what they read.
  const char* lock() const { return locking_ ? " FOR UPDATE" : ""; }

 private:
  const std::vector<Column>& described(const std::string& table) {
    auto [at, added] = tables_.try_emplace(table);
    if (added) at->second = table_columns(connection_, table);
    return at->second;
  }

  void read_batch(const Row& row, const std::vector<std::string>& keys) {
    const auto& names = columns(row);
    read_columns_[row.table] = names;
    db::Recordset found;
    found.open("SELECT " + read_list(names) + " FROM `" + row.table + "` WHERE `" +
                   key_column(row.table) + "` IN (" + values_listed(keys) + ")" + lock(),
               connection_);
    const std::size_t key = column_index(row.table, key_column(row.table));
    for (; !found.eof(); found.move_next()) {
      WorldRow world;
      for (std::size_t c = 0; c < names.size(); ++c) {
        const db::Value& field = found.field(c);
        world.push_back(field.is_null() ? Field{} : Field{field.text()});
      }
      const std::string at = world[key].value_or("NULL");
      rows_[row.table][at].emplace_back(std::move(world), false);
    }
  }

  db::Connection& connection_;
  bool locking_;
  std::map<std::string, std::vector<Column>> tables_, read_columns_;
  std::map<const Row*, std::vector<Column>> named_;
  std::map<std::string, std::map<std::string, std::vector<std::pair<WorldRow, bool>>>> rows_;
};

// Links into each loottable in `tables`, counted in the world.
std::map<std::string, int> links_into(db::Connection& connection,
                                      const std::set<std::string>& tables, const char* lock) {
  std::map<std::string, int> links;
  if (tables.empty()) return links;
  db::Recordset found;
  found.open("SELECT loottable_id, COUNT(*) FROM loottable_entries WHERE loottable_id IN (" +
                 values_listed(std::vector<std::string>(tables.begin(), tables.end())) +
                 ") GROUP BY loottable_id" + lock,
             connection);
  for (; !found.eof(); found.move_next())
    links[found.field(std::size_t{0}).text()] = std::stoi(found.field(std::size_t{1}).text());
  return links;
}

// DELETE ... WHERE key IN (...), a few hundred keys at a time.
void delete_by_keys(const std::string& table, const std::vector<std::string>& keys,
                    std::vector<std::string>& statements) {
  for (std::size_t from = 0; from < keys.size(); from += kKeysPerStatement) {
    const auto end = std::min(keys.size(), from + kKeysPerStatement);
    statements.push_back("DELETE FROM `" + table + "` WHERE `" + key_column(table) + "` IN (" +
                         values_listed({keys.begin() + static_cast<std::ptrdiff_t>(from),
                                        keys.begin() + static_cast<std::ptrdiff_t>(end)}) +
                         ")");
  }
}

void plan_npcs(World& world, const std::vector<Row>& rows, UndoPlan& plan) {
  for (const Row& row : rows) {
    if (row.kind != RowKind::npc) continue;
    const std::string& npc = row.values[0];
    const std::string& table = row.values[1];
    const auto& found = world.under("npc_types", npc);
    const std::string now =
        found.empty()
            ? ""
            : found.front().first[world.column_index("npc_types", "loottable_id")].value_or("NULL");
    if (now == table) {
      std::string undo = "UPDATE npc_types SET loottable_id=0 WHERE id=";
      undo.append(sql_value(npc)).append(" AND loottable_id=").append(sql_value(table));
      plan.statements.push_back(std::move(undo));
    } else if (!row.uncertain || now != "0") {
      std::string conflict = "NPC " + npc + " now has loottable ";
      conflict.append(now.empty() ? "(none, the NPC is gone)" : now);
      conflict.append(", the run gave it ").append(table).append(".");
      plan.conflicts.push_back(std::move(conflict));
    }
  }
}

void plan_inserted(World& world, db::Connection& connection, const std::vector<Row>& rows,
                   UndoPlan& plan) {
  std::map<std::string, int> own_links;  // links the run made into each loottable it created
  std::set<std::string> created_tables;
  std::vector<std::string> tables;  // in the order the run first wrote them
  for (const Row& row : rows) {
    if (row.kind != RowKind::inserted) continue;
    if (row.table == "loottable_entries") ++own_links[world.value(row, "loottable_id")];
    if (row.table == "loottable") created_tables.insert(row.values[0]);
    if (std::find(tables.begin(), tables.end(), row.table) == tables.end())
      tables.push_back(row.table);
  }
  const std::map<std::string, int> links = links_into(connection, created_tables, world.lock());

  // Matched newest first; what no longer matches stays, listed when it surely reached the world.
  std::map<std::string, std::vector<const Row*>> removed;  // by table
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (row->kind != RowKind::inserted) continue;
    if (!world.match(*row)) {
      if (!row->uncertain)
        plan.conflicts.push_back(describe(*row) + " is no longer as the run wrote it.");
      continue;
    }
    if (row->table == "loottable") {
      const std::string& id = row->values[0];
      const auto at = links.find(id);
      const int others = (at == links.end() ? 0 : at->second) - own_links[id];
      if (others > 0) {
        plan.conflicts.push_back("loottable " + id + " holds " + std::to_string(others) +
                                 " links the run did not make.");
        continue;
      }
    }
    removed[row->table].push_back(&*row);
  }

  // A key whose rows are all the run's goes in one list; the others row by row.
  for (auto table = tables.rbegin(); table != tables.rend(); ++table) {
    std::map<std::string, std::vector<const Row*>> by_key;
    for (const Row* row : removed[*table])
      by_key[world.value(*row, key_column(*table))].push_back(row);
    std::vector<std::string> whole_keys;
    for (const auto& [key, of_key] : by_key) {
      auto& under = world.under(*table, key);
      const bool all_matched =
          std::all_of(under.begin(), under.end(), [](const auto& r) { return r.second; });
      if (all_matched && under.size() == of_key.size()) {
        whole_keys.push_back(key);
        continue;
      }
      for (const Row* row : of_key) {
        std::string where;
        const auto& names = world.columns(*row);
        for (std::size_t i = 0; i < row->values.size() && i < names.size(); ++i)
          where += (where.empty() ? "" : " AND ") + holds_value(names[i], row->values[i]);
        plan.statements.push_back("DELETE FROM `" + *table + "` WHERE " + where + " LIMIT 1");
      }
    }
    delete_by_keys(*table, whole_keys, plan.statements);
  }
}

// The rows a deletion removed, put back: a lootdrop (or loottable) only where
// its id is free, whatever holds it now, and the rows that hung on a lootdrop
// only with it, never under another drop.
void plan_deleted(World& world, const std::vector<Row>& rows, UndoPlan& plan) {
  std::map<std::string, std::vector<const Row*>> put_back;  // by table
  std::vector<std::string> tables;
  std::set<std::string> drops_back;
  for (const bool children : {false, true}) {
    for (const Row& row : rows) {
      if (row.kind != RowKind::deleted || is_child(row.table) != children) continue;
      // Written ahead and still there: the deletion never reached it.
      if (row.uncertain && world.match(row)) continue;
      const std::string id = world.value(row, key_column(row.table));
      if (children && !drops_back.contains(id)) continue;
      if (!children && !world.under(row.table, id).empty()) {
        plan.conflicts.push_back(row.table + " id " + id + " is taken; " + describe(row) +
                                 " cannot be put back.");
        continue;
      }
      if (row.table == "lootdrop") drops_back.insert(id);
      if (put_back[row.table].empty()) tables.push_back(row.table);
      put_back[row.table].push_back(&row);
    }
  }
  for (const std::string& table : tables) {
    const auto& of_table = put_back[table];
    std::vector<std::string> names;
    for (const Column& column : world.columns(*of_table.front())) names.push_back(column.name);
    for (std::size_t from = 0; from < of_table.size(); from += kKeysPerStatement) {
      std::string values;
      for (std::size_t i = from; i < std::min(of_table.size(), from + kKeysPerStatement); ++i)
        values += (values.empty() ? "(" : ",(") + values_listed(of_table[i]->values) + ")";
      std::string insert = "INSERT INTO `" + table + "` (";
      insert.append(listed(names)).append(") VALUES ").append(values);
      plan.statements.push_back(std::move(insert));
    }
  }
}

}  // namespace

std::string undo_refusal(const RunInfo& run, const db::Session& session) {
  const std::string id = std::to_string(run.id);
  if (const std::string writing = still_written(run); !writing.empty())
    return "Run " + id + " " + writing + " Nothing was changed.";
  if (const std::string why = why_not_undoable(run); !why.empty())
    return "Run " + id + " cannot be undone: " + why + " Nothing was changed.";
  if (run.host != session.db_host || run.database != session.db_name) {
    return "Run " + id + " wrote to database " + run.database + " on " + run.host +
           ", but db.ini names database " + session.db_name + " on " + session.db_host +
           ". Nothing was changed.";
  }
  return "";
}

UndoPlan plan_undo(db::Connection& connection, const std::vector<Row>& rows, bool locking) {
  World world(connection, locking);
  world.read(rows);
  UndoPlan plan;
  plan_npcs(world, rows, plan);
  plan_inserted(world, connection, rows, plan);
  plan_deleted(world, rows, plan);
  return plan;
}

std::string undo_question(std::int64_t run, std::size_t statements) {
  return "Undo run " + std::to_string(run) + " (" + std::to_string(statements) + " statements)?";
}

std::string rollback_refusal(db::Connection& connection, const std::vector<Row>& rows) {
  std::set<std::string> written;
  for (const Row& row : rows)
    if (row.kind != RowKind::removed) written.insert(row.table);
  if (written.empty()) return "";
  db::Recordset found;
  found.open(db::table_engines_query({written.begin(), written.end()}), connection);
  std::string refusal;
  for (const auto& table : found.remaining_texts()) {
    if (table.at(2) != "YES")
      refusal += db::cannot_roll_back(table.at(0), table.at(1)) +
                 ": the undo could not be all or nothing. ";
  }
  return refusal.empty() ? "" : refusal + "Nothing was changed.";
}

UndoApplied apply_undo(db::Connection& connection, const std::vector<Row>& rows,
                       const UndoPlan& asked, const std::function<bool()>& stop_requested) {
  const auto roll_back = [&connection] {
    try {
      connection.execute("ROLLBACK");
    } catch (const db::Error&) {
    }
  };
  UndoApplied applied;
  connection.execute("START TRANSACTION");
  try {
    // Read again, locked until COMMIT: rows added or changed since the
    // question are neither deleted nor missed.
    applied.plan = plan_undo(connection, rows, true);
    if (applied.plan.conflicts != asked.conflicts) {
      roll_back();
      applied.outcome = UndoOutcome::world_changed;
      return applied;
    }
    for (const std::string& sql : applied.plan.statements) {
      if (stop_requested && stop_requested()) break;
      connection.execute(sql);
    }
    if (stop_requested && stop_requested()) {
      roll_back();
      applied.outcome = UndoOutcome::stopped;
      return applied;
    }
    connection.execute("COMMIT");
  } catch (const db::Error&) {
    roll_back();
    throw;
  }
  applied.outcome = UndoOutcome::undone;
  return applied;
}

}  // namespace vl::journal
