#include "journal/store.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <tuple>

#include "journal/sqlite_statement.h"

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
constexpr const char* kRowsTable =
    "rows (id INTEGER PRIMARY KEY AUTOINCREMENT, run INTEGER NOT NULL, kind TEXT, "
    "tbl TEXT, cols TEXT, vals TEXT, uncertain INTEGER NOT NULL)";
constexpr const char* kRunsColumns =
    "id, started, ended, host, database, command, settings, outcome, journal_incomplete, undone, "
    "first_row, last_row";
constexpr const char* kRowsColumns = "id, run, kind, tbl, cols, vals, uncertain";

// Journals written before runs kept their range of rows.
constexpr const char* kAddRowRanges =
    "ALTER TABLE runs ADD COLUMN first_row INTEGER;"
    "ALTER TABLE runs ADD COLUMN last_row INTEGER;"
    "UPDATE runs SET first_row=(SELECT MIN(id) FROM rows WHERE run=runs.id), "
    "last_row=(SELECT MAX(id) FROM rows WHERE run=runs.id);"
    "DROP INDEX IF EXISTS rows_of_run;";

// The condition on rows that selects the rows of the run `run` (an SQL
// expression: a parameter, or a column of an outer query).
std::string rows_of_run(const std::string& run) {
  constexpr const char* kNone = "9223372036854775807";  // a range without ends: no rows
  return "rows.run=" + run + " AND rows.id BETWEEN (SELECT IFNULL(first_row," + kNone +
         ") FROM runs WHERE id=" + run + ") AND (SELECT IFNULL(last_row," + kNone +
         ") FROM runs WHERE id=" + run + ")";
}

constexpr char kSeparator = kValueSeparator;

// Rows are added this many to a statement where there are enough of them:
// AUTOINCREMENT updates its sequence once per statement, not once per row.
constexpr int kRowsPerInsert = 64;
constexpr int kRowColumns = 6;
constexpr const char* kInsertRow =
    "INSERT INTO rows (run, kind, tbl, cols, vals, uncertain) VALUES (?,?,?,?,?,?)";

const std::string& insert_of_many_rows() {
  static const std::string sql = [] {
    std::string text = kInsertRow;
    for (int k = 1; k < kRowsPerInsert; ++k) text += ",(?,?,?,?,?,?)";
    return text;
  }();
  return sql;
}

// The kind kind_name spells `name`; inserted for anything else.
RowKind kind_of(const std::string& name) {
  for (RowKind kind : {RowKind::deleted, RowKind::npc, RowKind::removed})
    if (name == kind_name(kind)) return kind;
  return RowKind::inserted;
}

std::string joined(const std::vector<std::string>& parts, char separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i)
    out += (i ? std::string(1, separator) : "") + parts[i];
  return out;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const auto at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// A row as read by "SELECT kind, tbl, cols, vals, uncertain".
Row read_row(const SqliteStatement& query) {
  return Row{kind_of(query.text(0)), query.text(1), split(query.text(2), ','),
             split(query.text(3), kSeparator), query.number(4) != 0};
}

const std::string kRunColumns =
    "SELECT r.id, r.started, COALESCE(r.ended,''), r.host, r.database, r.command, r.settings, "
    "COALESCE(r.outcome,''), r.journal_incomplete, r.undone, "
    "(SELECT COUNT(*) FROM rows WHERE " +
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
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  struct stat file {};
  if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode)) ::fchmod(fd, 0600);
  ::close(fd);
}

}  // namespace

Store::Store(const std::string& path) : path_(path) {
  make_private(path);
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw JournalError(message);
  }
  try {
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA journal_mode=WAL");
    // Every commit reaches the disk before it returns: a row written ahead of
    // its statement is there even when the machine stops.
    exec("PRAGMA synchronous=FULL");
    migrate();
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
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

std::string Store::table_definition(const char* table) {
  SqliteStatement query(db_, "SELECT sql FROM sqlite_master WHERE type='table' AND name=?");
  return query.bind(1, std::string(table)).step() ? query.text(0) : std::string();
}

// A journal already up to date is only read, so that opening it never waits
// for a writer's transaction (a writer may be stopped inside one). Otherwise
// one transaction, so that two programs opening an older journal at once
// never migrate it twice, and a failure leaves it as it was.
void Store::migrate() {
  const auto autoincremented = [this](const char* table) {
    return table_definition(table).find("AUTOINCREMENT") != std::string::npos;
  };
  if (autoincremented("runs") && autoincremented("rows") && has_column("runs", "first_row")) return;
  exec("BEGIN IMMEDIATE");
  try {
    exec(std::string("CREATE TABLE IF NOT EXISTS ") + kRunsTable + ";CREATE TABLE IF NOT EXISTS " +
         kRowsTable);
    if (!has_column("runs", "first_row")) exec(kAddRowRanges);
    for (const auto& [table, definition, columns] :
         {std::tuple{"runs", kRunsTable, kRunsColumns},
          std::tuple{"rows", kRowsTable, kRowsColumns}}) {
      if (autoincremented(table)) continue;
      const std::string older = std::string(table) + "_before_autoincrement";
      std::string copy = "ALTER TABLE ";
      copy.append(table).append(" RENAME TO ").append(older);
      copy.append(";CREATE TABLE ").append(definition);
      copy.append(";INSERT INTO ").append(table).append(" (").append(columns).append(") SELECT ");
      copy.append(columns).append(" FROM ").append(older).append(";DROP TABLE ").append(older);
      exec(copy);
    }
    exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

bool Store::has_column(const char* table, const char* column) {
  SqliteStatement columns(db_, std::string("PRAGMA table_info(") + table + ")");
  while (columns.step())
    if (columns.text(1) == column) return true;
  return false;
}

void Store::exec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw JournalError(message);
  }
}

std::int64_t Store::begin_run(const RunInfo& run) {
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
  return record_each(
      run, rows.size(),
      [&rows](std::size_t i, StoredRow& stored) {
        const Row& row = rows[i];
        stored = {row.kind, row.table, joined(row.columns, ','), joined(row.values, kSeparator),
                  row.uncertain};
      },
      confirmed, forget);
}

std::vector<std::int64_t> Store::record_each(
    std::int64_t run, std::size_t count, const std::function<void(std::size_t, StoredRow&)>& row_at,
    const std::vector<std::int64_t>& confirmed, const std::vector<std::int64_t>& forget) {
  std::vector<std::int64_t> ids;
  ids.reserve(count);
  SqliteStatement(db_, kept("BEGIN IMMEDIATE")).step();
  try {
    // Confirmed ids come in runs of consecutive ids: one UPDATE per run.
    SqliteStatement confirm(db_, kept("UPDATE rows SET uncertain=0 WHERE id BETWEEN ? AND ?"));
    for (std::size_t first = 0, last = 0; first < confirmed.size(); first = ++last) {
      while (last + 1 < confirmed.size() && confirmed[last + 1] == confirmed[last] + 1) ++last;
      confirm.bind(1, confirmed[first]).bind(2, confirmed[last]).step();
    }
    SqliteStatement drop(db_, kept("DELETE FROM rows WHERE id=?"));
    for (std::int64_t id : forget) drop.bind(1, id).step();
    StoredRow row;
    const auto bind_row = [&](SqliteStatement& insert, int first) {
      insert.bind(first + 1, run).bind(first + 2, kind_name(row.kind)).bind(first + 3, row.table);
      insert.bind(first + 4, row.columns).bind(first + 5, row.values);
      insert.bind(first + 6, std::int64_t{row.uncertain});
    };
    std::size_t i = 0;
    SqliteStatement many(db_, kept(insert_of_many_rows().c_str()));
    for (; i + kRowsPerInsert <= count; i += kRowsPerInsert) {
      for (int k = 0; k < kRowsPerInsert; ++k) {
        row_at(i + static_cast<std::size_t>(k), row);
        bind_row(many, k * kRowColumns);
      }
      many.step();
      // The statement's rows took the ids up to the last, one after another.
      const std::int64_t last = sqlite3_last_insert_rowid(db_);
      for (std::int64_t id = last - kRowsPerInsert + 1; id <= last; ++id) ids.push_back(id);
    }
    SqliteStatement insert(db_, kept(kInsertRow));
    for (; i < count; ++i) {
      row_at(i, row);
      bind_row(insert, 0);
      insert.step();
      ids.push_back(sqlite3_last_insert_rowid(db_));
    }
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
  SqliteStatement(db_, "UPDATE rows SET uncertain=?2 WHERE " + rows_of_run("?1"))
      .bind(2, std::int64_t{uncertain})
      .bind(1, run)
      .step();
}

void Store::forget_rows(std::int64_t run) {
  SqliteStatement(db_, "DELETE FROM rows WHERE " + rows_of_run("?1")).bind(1, run).step();
}

void Store::forget_run(std::int64_t run) {
  forget_rows(run);
  SqliteStatement(db_, "DELETE FROM runs WHERE id=?").bind(1, run).step();
  writing_.erase(run);
}

void Store::end_run(std::int64_t run, const std::string& outcome, bool journal_incomplete) {
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
  SqliteStatement(db_, "UPDATE runs SET undone=1 WHERE id=?").bind(1, run).step();
}

std::vector<RunInfo> Store::runs() {
  SqliteStatement query(db_, kRunColumns + "ORDER BY r.id DESC");
  return with_writers(read_runs(query));
}

std::vector<RunInfo> Store::find_run(std::int64_t run) {
  SqliteStatement query(db_, kRunColumns + "WHERE r.id=?");
  query.bind(1, run);
  return with_writers(read_runs(query));
}

std::vector<RunInfo> Store::with_writers(std::vector<RunInfo> runs) const {
  for (RunInfo& run : runs)
    if (run.ended.empty()) run.writer = run_writer(path_, run.id);
  return runs;
}

std::vector<Row> Store::rows(std::int64_t run) {
  SqliteStatement query(db_, "SELECT kind, tbl, cols, vals, uncertain FROM rows WHERE " +
                                 rows_of_run("?1") + " ORDER BY id");
  query.bind(1, run);
  std::vector<Row> rows;
  while (query.step()) rows.push_back(read_row(query));
  return rows;
}

Store::Page Store::rows_page(std::int64_t run, RowKind kind, std::int64_t after, std::size_t limit,
                             bool newest_first) {
  // The run's range, narrowed to the page's side of `after`, bounds the search
  // itself: a page costs its own rows, not those of the pages before it.
  SqliteStatement range(db_,
                        "SELECT first_row, IFNULL(last_row, 9223372036854775807) FROM runs "
                        "WHERE id=? AND first_row IS NOT NULL");
  if (!range.bind(1, run).step()) return {};
  const std::int64_t first = newest_first ? range.number(0) : std::max(range.number(0), after + 1);
  const std::int64_t last = newest_first ? std::min(range.number(1), after - 1) : range.number(1);
  SqliteStatement query(db_,
                        std::string("SELECT kind, tbl, cols, vals, uncertain, id FROM rows WHERE "
                                    "id BETWEEN ?1 AND ?2 AND run=?3 AND kind=?4 ORDER BY id") +
                            (newest_first ? " DESC" : "") + " LIMIT ?5");
  query.bind(1, first).bind(2, last).bind(3, run).bind(4, std::string(kind_name(kind)));
  query.bind(5, static_cast<std::int64_t>(limit));
  Page page;
  while (query.step()) {
    page.rows.push_back(read_row(query));
    page.ids.push_back(query.number(5));
  }
  return page;
}

std::vector<std::pair<RowKind, std::string>> Store::tables_of(std::int64_t run) {
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
    std::pair<RowKind, std::string> of_row{kind_of(query.text(0)), query.text(1)};
    if (std::find(tables.begin(), tables.end(), of_row) == tables.end())
      tables.push_back(std::move(of_row));
  }
  if (has_ended) tables_of_ended_[run] = tables;
  return tables;
}

}  // namespace vl::journal
