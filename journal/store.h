#pragma once
// The journal of the runs that wrote to the world: a SQLite file (WAL,
// synchronous=FULL) holding each run's settings, outcome and rows. Every
// write is its own SQLite transaction, committed before the call returns.
// One store may serve several threads (a run's journal writer beside the
// History window): each call has the store to itself until it returns.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "journal/row.h"
#include "journal/run_info.h"
#include "journal/run_lock.h"
#include "journal/stored_rows.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vl::journal {

class Store {
 public:
  // read_write opens (and creates) the journal at `path`, its folder included;
  // read_only opens an existing one to read and changes nothing, so that a
  // journal the user may only read can still be listed (one of an older
  // version is brought up to date first, when it may be written). A path that
  // is a symbolic link is refused before anything is touched. Throws JournalError.
  enum class Access { read_write, read_only };
  explicit Store(const std::string& path, Access access = Access::read_write);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Starts a run written by this process, which holds it until end_run or forget_run.
  std::int64_t begin_run(const RunInfo& run);
  // Confirms the rows `confirmed` (reached the world), drops the rows `forget`
  // (written ahead for statements that never came), then adds `rows`
  // (uncertain as given); returns the ids of the added rows (the rows of one
  // journal row share its id).
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
  // The statement whose success decides whether the run's rows reached the
  // world (an all-or-nothing write's COMMIT, a deletion's DELETE of the drops
  // it read): awaited, then marked sent before it goes (journal/run_outcomes.cpp).
  void await_decisive(std::int64_t run);
  void decisive_sent(std::int64_t run);

  std::vector<RunInfo> runs();  // newest first
  std::vector<RunInfo> find_run(std::int64_t run);
  std::vector<Row> rows(std::int64_t run);
  // The run's rows of `kind` after the row id `after`, at most `limit` of them,
  // with their ids: ids rising, or falling from below `after` with newest_first.
  // A page ends with the last of the rows that share its last id, so that
  // `after` given the last id of a page never skips a row.
  // Read page by page, a run of any size is never held whole.
  struct Page {
    std::vector<std::int64_t> ids;
    std::vector<Row> rows;
  };
  Page rows_page(std::int64_t run, RowKind kind, std::int64_t after, std::size_t limit,
                 bool newest_first);
  // The kinds of the run's rows with the tables they name, in the order of
  // their first row.
  std::vector<std::pair<RowKind, std::string>> tables_of(std::int64_t run);
  const std::string& path() const { return path_; }

 private:
  // Opens the file (or `name`, a URI of it) with `flags` (SQLITE_OPEN_*). Throws JournalError.
  void open(int flags, const std::string& name = "");
  // Opens it read-only: true when its tables are up to date, else closes it
  // again. Throws JournalError (an older journal that may not be written).
  bool open_to_read();
  void exec(const std::string& sql);
  // A statement prepared once and kept for the store's life.
  sqlite3_stmt* kept(const char* sql);
  RowReader reader() { return RowReader(db_, kept(kValuesOfRow)); }
  std::vector<RunInfo> with_writers(std::vector<RunInfo> runs) const;
  // Runs whose writer died before their decisive statement was sent wrote
  // nothing: their rows are forgotten and they end refused.
  void settle_unsent_runs();
  // Such runs not settled yet (a journal opened to read) are shown as settled.
  void shown_as_settled(std::vector<RunInfo>& runs) const;
  std::string path_;
  std::recursive_mutex mutex_;               // record() calls record_each()
  std::map<std::int64_t, RunLock> writing_;  // the runs this store writes
  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> kept_;
  std::set<std::int64_t> ranged_runs_;  // runs whose first row this store has recorded
  std::map<std::int64_t, std::vector<std::pair<RowKind, std::string>>> tables_of_ended_;
};

// UTC now as "YYYY-MM-DDTHH:MM:SSZ".
std::string utc_timestamp();

}  // namespace vl::journal
