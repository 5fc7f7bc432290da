#include "journal/store.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "journal/schema.h"
#include "journal/sqlite_statement.h"

namespace vl::journal {
namespace {

// The condition on rows that selects the rows of the run `run` (an SQL
// expression: a parameter, or a column of an outer query).
std::string rows_of_run(const std::string& run) {
  constexpr const char* kNone = "9223372036854775807";  // a range without ends: no rows
  return "rows.run=" + run + " AND rows.id BETWEEN (SELECT IFNULL(first_row," + kNone +
         ") FROM runs WHERE id=" + run + ") AND (SELECT IFNULL(last_row," + kNone +
         ") FROM runs WHERE id=" + run + ")";
}

const std::string kRunColumns =
    "SELECT r.id, r.started, COALESCE(r.ended,''), r.host, r.database, r.command, r.settings, "
    "COALESCE(r.outcome,''), r.journal_incomplete, r.undone, "
    "(SELECT IFNULL(SUM(tuples),0) FROM rows WHERE " +
    rows_of_run("r.id") + "), EXISTS (SELECT 1 FROM rows WHERE " + rows_of_run("r.id") +
    " AND kind='removed') FROM runs r ";

std::vector<RunInfo> read_runs(SqliteStatement& query) {
  std::vector<RunInfo> runs;
  while (query.step()) {
    runs.push_back({query.number(0), query.text(1), query.text(2), query.text(3), query.text(4),
                    query.text(5), query.text(6), query.text(7), query.number(8) != 0,
                    query.number(9) != 0, query.number(10), query.number(11) != 0, 0});
  }
  return runs;
}

}  // namespace

std::string utc_timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

namespace {

// A journal path that is a symbolic link is refused before anything is
// touched: following it would change another file (its mode, its contents).
[[noreturn]] void refuse_link(const std::string& path) {
  throw JournalError(path +
                     " is a symbolic link, which the journal does not follow; give the path of "
                     "the file itself. Nothing was changed.");
}

// The journal holds the world's rows: its folder, when made here, and its file
// are its owner's only. A path that cannot be made is left for SQLite to refuse.
void make_private(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  const auto folder = fs::path(path).parent_path();
  if (!folder.empty() && !fs::exists(folder, ignored)) {
    fs::create_directories(folder, ignored);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ignored);
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 && errno == ELOOP) refuse_link(path);
  if (fd < 0) return;
  struct stat file {};
  if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode)) ::fchmod(fd, 0600);
  ::close(fd);
}

// How long opening waits for another program opening or writing the journal.
constexpr int kBusyMilliseconds = 5000;

// WAL mode is set under a lock of its own, which SQLite's busy timeout does
// not wait for: another program opening a new journal at the same moment
// would be refused "database is locked". Tried again until the busy timeout.
void use_wal(sqlite3* db) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMilliseconds);
  for (int pause = 1;; pause = std::min(pause * 2, 50)) {
    const int rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    const int primary = rc & 0xFF;
    if (rc == SQLITE_OK) return;
    if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) ||
        std::chrono::steady_clock::now() >= deadline)
      throw JournalError(sqlite3_errmsg(db));
    std::this_thread::sleep_for(std::chrono::milliseconds(pause));
  }
}

}  // namespace

Store::Store(const std::string& path, Access access) : path_(path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) refuse_link(path);
  if (access == Access::read_only && open_to_read()) return;
  make_private(path);
  open(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  try {
    use_wal(db_);
    // Every commit reaches the disk before it returns: a row written ahead of
    // its statement is there even when the machine stops.
    exec("PRAGMA synchronous=FULL");
    bring_up_to_date(db_);
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
  settle_unsent_runs();
}

void Store::open(int flags, const std::string& name) {
  const std::string& file = name.empty() ? path_ : name;
  if (sqlite3_open_v2(file.c_str(), &db_, flags | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw JournalError(message);
  }
  sqlite3_busy_timeout(db_, kBusyMilliseconds);
}

bool Store::open_to_read() {
  open(SQLITE_OPEN_READONLY);
  bool current = false;
  try {
    current = up_to_date(db_);
  } catch (const JournalError&) {
    // WAL mode reads need a shared-memory file beside the journal, which a
    // folder the user may not write cannot take. Without a WAL file the
    // journal file is whole, and is read as it is.
    const int code = sqlite3_errcode(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    std::error_code unknown;
    if ((code != SQLITE_READONLY && code != SQLITE_CANTOPEN) ||
        std::filesystem::exists(path_ + "-wal", unknown))
      throw;
    std::string uri = "file:";
    for (const char c : path_)
      uri += c == '%' ? "%25" : c == '?' ? "%3f" : c == '#' ? "%23" : std::string(1, c);
    open(SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, uri + "?immutable=1");
    current = up_to_date(db_);
  }
  if (current) return true;
  sqlite3_close(db_);
  db_ = nullptr;
  // An older journal is brought up to date once, by whoever may write it.
  if (::access(path_.c_str(), W_OK) != 0)
    throw JournalError(
        "it is of an older version, and may only be read: it cannot be brought up to date");
  return false;
}

Store::~Store() {
  for (auto& [sql, statement] : kept_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

sqlite3_stmt* Store::kept(const char* sql) {
  auto [at, added] = kept_.try_emplace(sql, nullptr);
  if (added && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &at->second, nullptr) !=
                   SQLITE_OK) {
    kept_.erase(at);
    throw JournalError(sqlite3_errmsg(db_));
  }
  return at->second;
}

void Store::exec(const std::string& sql) { exec_sql(db_, sql); }

std::int64_t Store::begin_run(const RunInfo& run) {
  const std::lock_guard lock(mutex_);
  // The run is seen by others only once its lock is held.
  exec("BEGIN IMMEDIATE");
  try {
    SqliteStatement insert(db_,
                           "INSERT INTO runs (started, host, database, command, settings) "
                           "VALUES (?,?,?,?,?)");
    insert.bind(1, run.started).bind(2, run.host).bind(3, run.database).bind(4, run.command);
    insert.bind(5, run.settings).step();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    writing_.erase(id);
    writing_.emplace(id, RunLock(path_, id));
    exec("COMMIT");
    return id;
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::vector<std::int64_t> Store::record(std::int64_t run, const std::vector<Row>& rows,
                                        const std::vector<std::int64_t>& confirmed,
                                        const std::vector<std::int64_t>& forget) {
  const std::lock_guard lock(mutex_);
  return record_each(
      run, rows.size(),
      [&rows](std::size_t i, StoredRow& stored) {
        const Row& row = rows[i];
        // Each row its own group: confirmed or forgotten by its own id.
        stored = {row.kind, row.table, row.columns, row.values, row.uncertain, i};
      },
      confirmed, forget);
}

std::vector<std::int64_t> Store::record_each(
    std::int64_t run, std::size_t count, const std::function<void(std::size_t, StoredRow&)>& row_at,
    const std::vector<std::int64_t>& confirmed, const std::vector<std::int64_t>& forget) {
  const std::lock_guard lock(mutex_);
  std::vector<std::int64_t> ids;
  SqliteStatement(db_, kept("BEGIN IMMEDIATE")).step();
  try {
    // Confirmed ids come in runs of consecutive ids (a journal row's rows share
    // its id): one UPDATE per run.
    SqliteStatement confirm(db_, kept("UPDATE rows SET uncertain=0 WHERE id BETWEEN ? AND ?"));
    for (std::size_t first = 0, last = 0; first < confirmed.size(); first = ++last) {
      while (last + 1 < confirmed.size() && confirmed[last + 1] - confirmed[last] <= 1 &&
             confirmed[last + 1] >= confirmed[last])
        ++last;
      confirm.bind(1, confirmed[first]).bind(2, confirmed[last]).step();
    }
    SqliteStatement drop(db_, kept("DELETE FROM rows WHERE id=?"));
    for (std::size_t i = 0; i < forget.size(); ++i)
      if (i == 0 || forget[i] != forget[i - 1]) drop.bind(1, forget[i]).step();

    RowWriter writer([this](const char* sql) { return kept(sql); }, db_, run);
    StoredRow next;
    for (std::size_t i = 0; i < count; ++i) {
      row_at(i, next);
      writer.add(next);
    }
    ids = writer.finish();
    if (!ids.empty() && !ranged_runs_.contains(run)) {
      SqliteStatement(db_, kept("UPDATE runs SET first_row=? WHERE id=? AND first_row IS NULL"))
          .bind(1, ids.front())
          .bind(2, run)
          .step();
    }
    SqliteStatement(db_, kept("COMMIT")).step();
    if (!ids.empty()) ranged_runs_.insert(run);
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return ids;
}

void Store::set_uncertain(std::int64_t run, bool uncertain) {
  const std::lock_guard lock(mutex_);
  SqliteStatement(db_, "UPDATE rows SET uncertain=?2 WHERE " + rows_of_run("?1"))
      .bind(2, std::int64_t{uncertain})
      .bind(1, run)
      .step();
}

void Store::forget_rows(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  SqliteStatement(db_, "DELETE FROM rows WHERE " + rows_of_run("?1")).bind(1, run).step();
}

void Store::forget_run(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  forget_rows(run);
  SqliteStatement(db_, "DELETE FROM runs WHERE id=?").bind(1, run).step();
  writing_.erase(run);
}

void Store::end_run(std::int64_t run, const std::string& outcome, bool journal_incomplete) {
  const std::lock_guard lock(mutex_);
  SqliteStatement(db_, "UPDATE runs SET ended=?, outcome=?, journal_incomplete=? WHERE id=?")
      .bind(1, utc_timestamp())
      .bind(2, outcome)
      .bind(3, std::int64_t{journal_incomplete})
      .bind(4, run)
      .step();
  // The end of the run's range only narrows later reads; without it they read
  // to the end of the journal, so a journal too broken to give it is no reason to fail.
  try {
    SqliteStatement(db_, "UPDATE runs SET last_row=(SELECT MAX(id) FROM rows) WHERE id=?")
        .bind(1, run)
        .step();
  } catch (const JournalError&) {
  }
  writing_.erase(run);
}

void Store::set_undone(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  SqliteStatement(db_, "UPDATE runs SET undone=1 WHERE id=?").bind(1, run).step();
}

std::vector<RunInfo> Store::runs() {
  const std::lock_guard lock(mutex_);
  SqliteStatement query(db_, kRunColumns + "ORDER BY r.id DESC");
  return with_writers(read_runs(query));
}

std::vector<RunInfo> Store::find_run(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  SqliteStatement query(db_, kRunColumns + "WHERE r.id=?");
  query.bind(1, run);
  return with_writers(read_runs(query));
}

std::vector<RunInfo> Store::with_writers(std::vector<RunInfo> runs) const {
  for (RunInfo& run : runs)
    if (run.ended.empty()) run.writer = run_writer(path_, run.id);
  shown_as_settled(runs);
  return runs;
}

std::vector<Row> Store::rows(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  SqliteStatement query(db_, "SELECT kind, tbl, cols, uncertain, tuples, id FROM rows WHERE " +
                                 rows_of_run("?1") + " ORDER BY id");
  query.bind(1, run);
  std::vector<Row> rows;
  RowReader read = reader();
  while (query.step()) read.read(query, rows);
  return rows;
}

Store::Page Store::rows_page(std::int64_t run, RowKind kind, std::int64_t after, std::size_t limit,
                             bool newest_first) {
  const std::lock_guard lock(mutex_);
  // The run's range, narrowed to the page's side of `after`, bounds the search
  // itself: a page costs its own rows, not those of the pages before it.
  SqliteStatement range(db_,
                        "SELECT first_row, IFNULL(last_row, 9223372036854775807) FROM runs "
                        "WHERE id=? AND first_row IS NOT NULL");
  if (!range.bind(1, run).step()) return {};
  const std::int64_t first = newest_first ? range.number(0) : std::max(range.number(0), after + 1);
  const std::int64_t last = newest_first ? std::min(range.number(1), after - 1) : range.number(1);
  SqliteStatement query(db_,
                        std::string("SELECT kind, tbl, cols, uncertain, tuples, id FROM "
                                    "rows WHERE "
                                    "id BETWEEN ?1 AND ?2 AND run=?3 AND kind=?4 ORDER BY id") +
                            (newest_first ? " DESC" : "") + " LIMIT ?5");
  query.bind(1, first).bind(2, last).bind(3, run).bind(4, std::string(kind_name(kind)));
  query.bind(5, static_cast<std::int64_t>(limit));
  // Whole journal rows: a page ends with all the rows of its last one.
  Page page;
  RowReader read_back = reader();
  while (page.rows.size() < limit && query.step()) {
    const std::size_t read = read_back.read(query, page.rows, newest_first);
    page.ids.insert(page.ids.end(), read, query.number(5));
  }
  return page;
}

std::vector<std::pair<RowKind, std::string>> Store::tables_of(std::int64_t run) {
  const std::lock_guard lock(mutex_);
  // The rows of an ended run stay as they are: its tables are looked up once.
  SqliteStatement ended(db_, "SELECT 1 FROM runs WHERE id=? AND last_row IS NOT NULL");
  const bool has_ended = ended.bind(1, run).step();
  if (const auto known = tables_of_ended_.find(run); has_ended && known != tables_of_ended_.end())
    return known->second;
  SqliteStatement query(db_,
                        "SELECT kind, tbl FROM rows WHERE " + rows_of_run("?1") + " ORDER BY id");
  query.bind(1, run);
  std::vector<std::pair<RowKind, std::string>> tables;
  while (query.step()) {
    std::pair<RowKind, std::string> of_row{kind_named(query.text(0)), query.text(1)};
    if (std::find(tables.begin(), tables.end(), of_row) == tables.end())
      tables.push_back(std::move(of_row));
  }
  if (has_ended) tables_of_ended_[run] = tables;
  return tables;
}

}  // namespace vl::journal
