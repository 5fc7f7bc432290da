#pragma once
// The journal of the runs that wrote to the world: a SQLite file (WAL,
// synchronous=NORMAL) holding each run's settings, outcome and rows. Every
// write is its own SQLite transaction, committed before the call returns.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "journal/row.h"
#include "journal/run_lock.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vl::journal {

class JournalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunInfo {
  std::int64_t id = 0;
  std::string started, ended;  // UTC, ISO 8601; ended "" while running or when the process died
  std::string host, database, command, settings;
  std::string outcome;  // "" until the run ends
  bool journal_incomplete = false;
  bool undone = false;
  std::int64_t rows = 0;
  bool removed_unread = false;  // it deleted rows it never read (the window's delete button)
  pid_t writer = 0;             // the process still writing it (see RunLock), 0 when none
};

// Why the run cannot be undone, or "" when it can.
std::string why_not_undoable(const RunInfo& run);

// "is still being written (process P); undo it after it ends." for a run
// being written, else "".
std::string still_written(const RunInfo& run);

// The state a run is shown in: its outcome, "running" while its writer holds
// it, "unfinished" when it never ended.
std::string shown_outcome(const RunInfo& run);

// The separator between a stored row's values.
inline constexpr char kValueSeparator = '\x1f';

// A row as the journal stores it: its column names joined by ',', its values
// by kValueSeparator.
struct StoredRow {
  RowKind kind = RowKind::inserted;
  std::string table, columns, values;
  bool uncertain = true;
};

class Store {
 public:
  // Opens (and creates) the journal at `path`, its folder included. Throws JournalError.
  explicit Store(const std::string& path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Starts a run written by this process, which holds it until end_run or forget_run.
  std::int64_t begin_run(const RunInfo& run);
  // Confirms the rows `confirmed` (reached the world), drops the rows `forget`
  // (written ahead for statements that never came), then adds `rows`
  // (uncertain as given); returns the ids of the added rows.
  std::vector<std::int64_t> record(std::int64_t run, const std::vector<Row>& rows,
                                   const std::vector<std::int64_t>& confirmed = {},
                                   const std::vector<std::int64_t>& forget = {});
  // As record, with `count` rows that `row_at` fills in one at a time (so
  // that they need not all be held at once), in one transaction.
  std::vector<std::int64_t> record_each(std::int64_t run, std::size_t count,
                                        const std::function<void(std::size_t, StoredRow&)>& row_at,
                                        const std::vector<std::int64_t>& confirmed = {},
                                        const std::vector<std::int64_t>& forget = {});
  void set_uncertain(std::int64_t run, bool uncertain);
  void forget_rows(std::int64_t run);
  void forget_run(std::int64_t run);
  void end_run(std::int64_t run, const std::string& outcome, bool journal_incomplete);
  void set_undone(std::int64_t run);

  std::vector<RunInfo> runs();  // newest first
  std::vector<RunInfo> find_run(std::int64_t run);
  std::vector<Row> rows(std::int64_t run);
  const std::string& path() const { return path_; }

 private:
  void exec(const std::string& sql);
  void migrate();  // the tables made or brought up to date
  bool has_column(const char* table, const char* column);
  std::string table_definition(const char* table);  // "" when there is no such table
  // A statement prepared once and kept for the store's life.
  sqlite3_stmt* kept(const char* sql);
  std::vector<RunInfo> with_writers(std::vector<RunInfo> runs) const;
  std::string path_;
  std::map<std::int64_t, RunLock> writing_;  // the runs this store writes
  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> kept_;
  std::set<std::int64_t> ranged_runs_;  // runs whose first row this store has recorded
};

// UTC now as "YYYY-MM-DDTHH:MM:SSZ".
std::string utc_timestamp();

}  // namespace vl::journal
