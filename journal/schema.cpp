#include "journal/schema.h"

#include <sqlite3.h>

#include <tuple>

#include "journal/run_info.h"
#include "journal/sqlite_statement.h"
#include "journal/text_values.h"

namespace vl::journal {
namespace {

// A run's rows lie between its first_row and last_row (ids only grow while a
// run has rows), so that no index on rows.run has to be written with every
// drop: a run is read by a range of ids. Ids never come again (AUTOINCREMENT),
// so that an id once shown or kept names one run or row for good.
constexpr const char* kRunsTable =
    "runs (id INTEGER PRIMARY KEY AUTOINCREMENT, started TEXT NOT NULL, ended TEXT, "
    "host TEXT, database TEXT, command TEXT, settings TEXT, outcome TEXT, "
    "journal_incomplete INTEGER NOT NULL DEFAULT 0, undone INTEGER NOT NULL DEFAULT 0, "
    "first_row INTEGER, last_row INTEGER)";
// A journal row holds `tuples` rows of the world of one kind and table (see
// journal/stored_rows.h); each of their values is a row of `vals`, of no
// declared type, so that SQLite keeps it as the type it was given.
constexpr const char* kRowsTable =
    "rows (id INTEGER PRIMARY KEY AUTOINCREMENT, run INTEGER NOT NULL, kind TEXT, "
    "tbl TEXT, cols TEXT, uncertain INTEGER NOT NULL, tuples INTEGER NOT NULL DEFAULT 1)";
constexpr const char* kValsTable =
    "CREATE TABLE IF NOT EXISTS vals (row INTEGER NOT NULL, tuple INTEGER NOT NULL, "
    "pos INTEGER NOT NULL, v, PRIMARY KEY (row, tuple, pos)) WITHOUT ROWID";
// A journal row forgotten takes its values along.
constexpr const char* kRowsGone =
    "CREATE TRIGGER IF NOT EXISTS rows_gone AFTER DELETE ON rows "
    "BEGIN DELETE FROM vals WHERE row=OLD.id; END";
constexpr const char* kRunsColumns =
    "id, started, ended, host, database, command, settings, outcome, journal_incomplete, undone, "
    "first_row, last_row";
constexpr const char* kRowsColumns = "id, run, kind, tbl, cols, uncertain, tuples";

// Journals written before runs kept their range of rows.
constexpr const char* kAddRowRanges =
    "ALTER TABLE runs ADD COLUMN first_row INTEGER;"
    "ALTER TABLE runs ADD COLUMN last_row INTEGER;"
    "UPDATE runs SET first_row=(SELECT MIN(id) FROM rows WHERE run=runs.id), "
    "last_row=(SELECT MAX(id) FROM rows WHERE run=runs.id);"
    "DROP INDEX IF EXISTS rows_of_run;";

std::string table_definition(sqlite3* db, const char* table) {
  SqliteStatement query(db, "SELECT sql FROM sqlite_master WHERE type='table' AND name=?");
  return query.bind(1, std::string(table)).step() ? query.text(0) : std::string();
}

bool has_column(sqlite3* db, const char* table, const char* column) {
  SqliteStatement columns(db, std::string("PRAGMA table_info(") + table + ")");
  while (columns.step())
    if (columns.text(1) == column) return true;
  return false;
}

bool autoincremented(sqlite3* db, const char* table) {
  return table_definition(db, table).find("AUTOINCREMENT") != std::string::npos;
}

bool has_trigger(sqlite3* db, const char* name) {
  SqliteStatement query(db, "SELECT 1 FROM sqlite_master WHERE type='trigger' AND name=?");
  return query.bind(1, std::string(name)).step();
}

}  // namespace

bool up_to_date(sqlite3* db) {
  return autoincremented(db, "runs") && autoincremented(db, "rows") &&
         has_column(db, "runs", "first_row") && has_column(db, "rows", "tuples") &&
         !has_column(db, "rows", "vals") && !table_definition(db, "vals").empty() &&
         has_trigger(db, "rows_gone");
}

void exec_sql(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw JournalError(message);
  }
}

// A journal already up to date is only read, so that opening it never waits
// for a writer's transaction (a writer may be stopped inside one). Otherwise
// one transaction, so that two programs opening an older journal at once
// never migrate it twice, and a failure leaves it as it was.
void bring_up_to_date(sqlite3* db) {
  if (up_to_date(db)) return;
  exec_sql(db, "BEGIN IMMEDIATE");
  try {
    exec_sql(db, std::string("CREATE TABLE IF NOT EXISTS ") + kRunsTable +
                     ";CREATE TABLE IF NOT EXISTS " + kRowsTable + ";" + kValsTable);
    if (!has_column(db, "runs", "first_row")) exec_sql(db, kAddRowRanges);
    if (!has_column(db, "rows", "tuples"))
      exec_sql(db, "ALTER TABLE rows ADD COLUMN tuples INTEGER NOT NULL DEFAULT 1");
    if (has_column(db, "rows", "vals")) {
      convert_text_values(db);
      if (autoincremented(db, "rows")) exec_sql(db, "ALTER TABLE rows DROP COLUMN vals");
    }
    for (const auto& [table, definition, columns] :
         {std::tuple{"runs", kRunsTable, kRunsColumns},
          std::tuple{"rows", kRowsTable, kRowsColumns}}) {
      if (autoincremented(db, table)) continue;
      const std::string older = std::string(table) + "_before_autoincrement";
      std::string copy = "ALTER TABLE ";
      copy.append(table).append(" RENAME TO ").append(older);
      copy.append(";CREATE TABLE ").append(definition);
      copy.append(";INSERT INTO ").append(table).append(" (").append(columns).append(") SELECT ");
      copy.append(columns).append(" FROM ").append(older).append(";DROP TABLE ").append(older);
      exec_sql(db, copy);
    }
    exec_sql(db, kRowsGone);
    exec_sql(db, "COMMIT");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace vl::journal
