// What the journal knows of a run's outcome beyond its rows: whether the
// statement that decides it was ever sent. A run whose writer died (or whose
// journal filled up) before that statement went out wrote nothing, whatever
// rows it had written ahead: those are forgotten at the next open instead of
// being left for undo to guess about.

#include <sqlite3.h>

#include <vector>

#include "journal/sqlite_statement.h"
#include "journal/store.h"
#include "journal/stored_ending.h"

namespace vl::journal {
namespace {

// A table of its own, made by the first run that awaits such a statement: an
// older journal opened only to be read stays as it is.
constexpr const char* kDecisiveTable =
    "CREATE TABLE IF NOT EXISTS decisive (run INTEGER PRIMARY KEY, sent INTEGER NOT NULL)";

bool has_decisive_table(sqlite3* db) {
  SqliteStatement query(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name='decisive'");
  return query.step();
}

}  // namespace

void Store::await_decisive(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  exec("BEGIN IMMEDIATE");
  try {
    exec(kDecisiveTable);
    SqliteStatement(db_, "INSERT OR REPLACE INTO decisive (run, sent) VALUES (?,0)")
        .bind(1, run)
        .step();
    exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void Store::decisive_sent(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  SqliteStatement(db_, "UPDATE decisive SET sent=1 WHERE run=?").bind(1, run).step();
}

void Store::settle_unsent_runs() {
  // Only what can be settled now: a journal that cannot be written (read only,
  // its disk still full) keeps the run for a later open.
  try {
    if (!has_decisive_table(db_)) return;
    std::vector<std::int64_t> unsent;
    SqliteStatement query(db_,
                          "SELECT d.run FROM decisive d JOIN runs r ON r.id=d.run "
                          "WHERE d.sent=0 AND r.ended IS NULL");
    while (query.step()) unsent.push_back(query.number(0));
    for (const std::int64_t run : unsent) {
      if (run_writer(path_, run) != 0) continue;  // still being written
      forget_rows(run);
      end_run(run, std::string(kUnsentText), false);
    }
  } catch (const JournalError&) {
  }
}

void Store::shown_as_settled(std::vector<RunInfo>& runs) const {
  try {
    if (!has_decisive_table(db_)) return;
    for (RunInfo& run : runs) {
      if (!run.ended.empty() || run.writer != 0) continue;
      SqliteStatement unsent(db_, "SELECT 1 FROM decisive WHERE run=? AND sent=0");
      if (!unsent.bind(1, run.id).step()) continue;
      run.outcome = kUnsentText;
      run.rows = 0;
    }
  } catch (const JournalError&) {
  }
}

}  // namespace vl::journal
