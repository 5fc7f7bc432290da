#include "journal/undo.h"

#include <map>

namespace vl::journal {
namespace {

std::string value_of(db::Connection& connection, const std::string& sql) {
  db::Recordset rows;
  rows.open(sql, connection);
  return rows.eof() ? "" : rows.field(std::size_t{0}).text();
}

// The names of a table's columns, in order.
std::vector<std::string> table_columns(db::Connection& connection, const std::string& table) {
  db::Recordset rows;
  rows.open(
      "SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA=DATABASE() AND "
      "TABLE_NAME=" +
          quoted(table) + " ORDER BY ORDINAL_POSITION",
      connection);
  std::vector<std::string> columns;
  for (; !rows.eof(); rows.move_next()) columns.push_back(rows.field(std::size_t{0}).text());
  return columns;
}

bool is_fraction(const std::string& value) {
  return !value.empty() && value.front() != '\'' && value.find_first_of(".eE") != std::string::npos;
}

// Column equals value; a fraction within the precision of a FLOAT column.
std::string equals(const std::string& column, const std::string& value) {
  if (value == "NULL") return "`" + column + "` IS NULL";
  if (is_fraction(value)) return "ABS(`" + column + "`-" + value + ")<0.0001";
  return "`" + column + "`=" + value;
}

class Planner {
 public:
  explicit Planner(db::Connection& connection) : connection_(connection) {}

  const std::vector<std::string>& columns(const Row& row) {
    if (!row.columns.empty()) return row.columns;
    auto [at, added] = table_columns_.try_emplace(row.table);
    if (added) at->second = table_columns(connection_, row.table);
    return at->second;
  }

  std::string condition(const Row& row) {
    const auto& names = columns(row);
    std::string where;
    for (std::size_t i = 0; i < row.values.size() && i < names.size(); ++i)
      where += (where.empty() ? "" : " AND ") + equals(names[i], row.values[i]);
    return where;
  }

  std::string count(const std::string& table, const std::string& where) {
    return value_of(connection_, "SELECT COUNT(*) FROM `" + table + "` WHERE " + where);
  }

  std::string column_list(const Row& row) {
    std::string list;
    for (const std::string& name : columns(row)) list += (list.empty() ? "`" : ",`") + name + "`";
    return list;
  }

 private:
  db::Connection& connection_;
  std::map<std::string, std::vector<std::string>> table_columns_;
};

std::string values_list(const Row& row) {
  std::string list;
  for (const std::string& value : row.values) list += (list.empty() ? "" : ",") + value;
  return list;
}

bool has_id(const Row& row) { return row.table == "lootdrop" || row.table == "loottable"; }

}  // namespace

std::string undo_refusal(const RunInfo& run, const db::Session& session) {
  const std::string id = std::to_string(run.id);
  if (const std::string why = why_not_undoable(run); !why.empty())
    return "Run " + id + " cannot be undone: " + why + " Nothing was changed.";
  if (run.host != session.db_host || run.database != session.db_name) {
    return "Run " + id + " wrote to database " + run.database + " on " + run.host +
           ", but db.ini names database " + session.db_name + " on " + session.db_host +
           ". Nothing was changed.";
  }
  return "";
}

UndoPlan plan_undo(db::Connection& connection, const std::vector<Row>& rows) {
  Planner planner(connection);
  UndoPlan plan;
  for (const Row& row : rows) {
    if (row.kind != RowKind::npc) continue;
    const std::string& npc = row.values[0];
    const std::string& table = row.values[1];
    const std::string now =
        value_of(connection, "SELECT loottable_id FROM npc_types WHERE id=" + npc);
    if (now == table) {
      plan.statements.push_back("UPDATE npc_types SET loottable_id=0 WHERE id=" + npc +
                                " AND loottable_id=" + table);
    } else if (!row.uncertain || now != "0") {
      plan.conflicts.push_back("NPC " + npc + " now has loottable " +
                               (now.empty() ? "(none, the NPC is gone)" : now) +
                               ", the run gave it " + table + ".");
    }
  }
  // Links the run made into each loottable it created.
  std::map<std::string, int> own_links;
  for (const Row& row : rows) {
    if (row.kind == RowKind::inserted && row.table == "loottable_entries")
      ++own_links[row.values[0]];
  }
  std::map<std::string, int> needed;  // identical rows the run inserted
  for (const Row& row : rows)
    if (row.kind == RowKind::inserted) ++needed[row.table + " " + planner.condition(row)];
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (row->kind != RowKind::inserted) continue;
    const std::string where = planner.condition(*row);
    int& still_needed = needed[row->table + " " + where];
    const int present = std::stoi(planner.count(row->table, where));
    if (present < still_needed) {
      --still_needed;
      if (!row->uncertain)
        plan.conflicts.push_back(describe(*row) + " is no longer as the run wrote it.");
      continue;
    }
    --still_needed;
    if (row->table == "loottable") {
      const int links =
          std::stoi(planner.count("loottable_entries", "loottable_id=" + row->values[0]));
      if (links > own_links[row->values[0]]) {
        plan.conflicts.push_back("loottable " + row->values[0] + " holds " +
                                 std::to_string(links - own_links[row->values[0]]) +
                                 " links the run did not make.");
        continue;
      }
    }
    plan.statements.push_back("DELETE FROM `" + row->table + "` WHERE " + where + " LIMIT 1");
  }
  for (const Row& row : rows) {
    if (row.kind != RowKind::deleted) continue;
    const std::string insert = "INSERT INTO `" + row.table + "` (" + planner.column_list(row) +
                               ") VALUES (" + values_list(row) + ")";
    if (row.uncertain && planner.count(row.table, planner.condition(row)) != "0") continue;
    if (has_id(row) && planner.count(row.table, "id=" + row.values[0]) != "0") {
      plan.conflicts.push_back(row.table + " id " + row.values[0] + " is taken; " + describe(row) +
                               " cannot be put back.");
      continue;
    }
    plan.statements.push_back(insert);
  }
  return plan;
}

std::string undo_question(std::int64_t run, std::size_t statements) {
  return "Undo run " + std::to_string(run) + " (" + std::to_string(statements) + " statements)?";
}

void apply_undo(db::Connection& connection, const std::vector<std::string>& statements) {
  connection.execute("START TRANSACTION");
  try {
    for (const std::string& sql : statements) connection.execute(sql);
    connection.execute("COMMIT");
  } catch (const db::Error&) {
    try {
      connection.execute("ROLLBACK");
    } catch (const db::Error&) {
    }
    throw;
  }
}

}  // namespace vl::journal
