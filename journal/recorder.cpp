#include "journal/recorder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <variant>

#include "db/odbc.h"
#include "journal/stored_ending.h"

namespace vl::journal {

namespace {

// A folder named by the environment variable `name`, if it is absolute.
std::optional<std::string> folder_of(const char* name) {
  const char* folder = std::getenv(name);
  if (folder && *folder == '/') return folder;
  return std::nullopt;
}

}  // namespace

std::string default_journal_path() {
  if (const char* path = std::getenv("VANDRIL_LOOT_JOURNAL"); path && *path) return path;
  std::optional<std::string> base = folder_of("XDG_DATA_HOME");
  if (!base) {
    base = folder_of("HOME");
    if (!base) return "";
    *base += "/.local/share";
  }
  return *base + "/vandril_loot/journal.sqlite3";
}

std::unique_ptr<Store> open_journal(const std::string& path, bool existing, Store::Access access) {
  if (path.empty()) throw JournalError(kNoJournalPlace);
  // Reading never leaves a journal (nor its folder) behind where there was none.
  if (existing && !std::filesystem::exists(path))
    throw JournalError("no such file; a write command makes it. Nothing was created.");
  return std::make_unique<Store>(path, access);
}

RunRecorder::~RunRecorder() {
  for (Pending& pending : pending_) pending.ids.wait();
  detach();
}

void RunRecorder::begin(db::Session& session, const std::string& command,
                        const std::string& settings, bool unread_removals) {
  RunInfo info;
  info.started = utc_timestamp();
  info.host = session.db_host;
  info.database = session.db_name;
  info.command = command;
  info.settings = settings;
  run_ = store_.begin_run(info);
  rows_ = 0;
  incomplete_ = statement_failed_ = server_lost_ = false;
  unread_removals_ = unread_removals;
  all_or_nothing_ = deletion_sent_ = hearing_deletion_ = false;
  recorded_.clear();
  failure_.clear();
  awaiting_.clear();
  confirmed_.clear();
  forget_.clear();
  ahead_.clear();
  told_.reset();
  drops_to_remove_.clear();
  session_ = &session;
  session.statement_gate = [this](const std::string&, std::optional<std::size_t> announced) {
    gate(announced);
  };
  session.statements_ahead = [this](const db::AnnouncedStatements& told) { ahead(told); };
  session.transaction_steps = [this](db::TransactionStep step) { transaction_step(step); };
  observer_before_ = session.statement_observer;
  session.statement_observer = [this](const std::string& sql, std::chrono::nanoseconds took,
                                      bool succeeded) {
    heard(succeeded);
    if (observer_before_) observer_before_(sql, took, succeeded);
  };
}

void RunRecorder::detach() {
  if (!session_) return;
  session_->statement_gate = nullptr;
  session_->statements_ahead = nullptr;
  session_->transaction_steps = nullptr;
  session_->statement_observer = observer_before_;
  if (session_->db_connection) {
    session_->db_connection->set_gate(nullptr);
    session_->db_connection->set_observer(observer_before_);
  }
  session_ = nullptr;
}

bool RunRecorder::kept(const db::LootRow& row) const {
  return unread_removals_ || !std::holds_alternative<db::RemovedLootdrops>(row);
}

std::vector<std::int64_t> RunRecorder::write_told(std::int64_t run,
                                                  const std::vector<db::Announced>& told,
                                                  std::size_t first, std::size_t end,
                                                  const std::vector<std::int64_t>& confirmed,
                                                  const std::vector<std::int64_t>& forget) {
  std::vector<const db::LootRow*> rows;
  std::vector<std::size_t> statement_of;
  for (std::size_t i = first; i < end; ++i)
    for (const db::LootRow& row : told[i].rows)
      if (kept(row)) {
        rows.push_back(&row);
        statement_of.push_back(i);
      }
  const void* shape = nullptr;  // the table, or a copied row's probed columns
  std::vector<std::string> columns;
  const auto fill = [&](std::size_t i, StoredRow& stored) {
    const db::LootRow& row = *rows[i];
    const db::LootTable& of_row = db::table_of(row);
    const auto* copied = std::get_if<db::CopiedRow>(&row);
    const void* of_shape = std::holds_alternative<db::RemovedLootdrops>(row) ? nullptr
                           : copied ? static_cast<const void*>(copied->columns.get())
                                    : &of_row;
    stored.kind = kind_of(row);
    stored.group = statement_of[i];
    // A run names the same few column lists over and over.
    if (!of_shape || of_shape != shape) columns = columns_of(row);
    shape = of_shape;
    stored.columns = columns;
    stored.table = of_row.name;
    stored.values.clear();
    append_values(stored.values, row);
  };
  return store_.record_each(run, rows.size(), fill, confirmed, forget);
}

void RunRecorder::journal_failed(const std::string& why, bool statement_waits) {
  incomplete_ = true;
  failure_ = why;
  if (on_failure_ == OnJournalFailure::carry_on || !statement_waits) return;
  throw db::StatementWithheld("The journal " + store_.path() + " could not be written (" +
                              failure_ +
                              "): the statement was not sent and the run stopped. What was "
                              "written before is in the journal.");
}

void RunRecorder::ahead(const db::AnnouncedStatements& told) {
  // Told again (a drop's id was not the one guessed): what was written for
  // the statements told before goes.
  forget_pending();
  ahead_.clear();
  told_ = told;
  if (incomplete_ && on_failure_ == OnJournalFailure::carry_on) {
    for (std::size_t i = 0; i < told->size(); ++i) ahead_.push_back({i, {}});
    return;
  }
  // Written on the writer's thread while the caller goes on (a drop looks up
  // its id meanwhile). A statement of many rows (a batch), or a part grown to
  // kRowsPerWrite rows, ends a part: each statement waits at the gate only for
  // the part that holds its rows, so that the later batches are written while
  // the server takes the earlier.
  constexpr std::size_t kRowsPerWrite = 4096;
  Pending part{0, 0, {}, {}};
  std::size_t rows = 0;
  for (std::size_t i = 0; i < told->size(); ++i) {
    const auto& of_statement = (*told)[i].rows;
    part.rows_per_statement.push_back(static_cast<std::size_t>(std::count_if(
        of_statement.begin(), of_statement.end(), [this](const auto& row) { return kept(row); })));
    rows += part.rows_per_statement.back();
    part.end = i + 1;
    const bool batch = part.rows_per_statement.back() > 1;
    if (!batch && rows < kRowsPerWrite && part.end < told->size()) continue;
    if (rows == 0) {
      std::promise<std::vector<std::int64_t>> none;
      none.set_value({});
      part.ids = none.get_future();
    } else {
      if (!writer_) writer_ = std::make_unique<BackgroundWriter>();
      auto write = [this, run = run_, told, first = part.first, end = part.end,
                    confirmed = std::exchange(confirmed_, {}),
                    forget = std::exchange(forget_, {})] {
        return write_told(run, *told, first, end, confirmed, forget);
      };
      part.ids = writer_->run(std::move(write));
    }
    pending_.push_back(std::move(part));
    part = Pending{i + 1, i + 1, {}, {}};
    rows = 0;
  }
}

void RunRecorder::settle_pending(bool used) {
  if (pending_.empty()) return;
  Pending pending = std::move(pending_.front());
  pending_.pop_front();
  std::vector<std::int64_t> ids;
  try {
    ids = pending.ids.get();
  } catch (const std::exception& error) {
    return journal_failed(error.what(), used);
  }
  if (!used) {
    forget_.insert(forget_.end(), ids.begin(), ids.end());
    return;
  }
  rows_ += static_cast<std::int64_t>(ids.size());
  auto next = ids.begin();
  for (std::size_t i = 0; i < pending.rows_per_statement.size(); ++i) {
    const auto count = static_cast<std::ptrdiff_t>(pending.rows_per_statement[i]);
    ahead_.push_back({pending.first + i, std::vector<std::int64_t>(next, next + count)});
    next += count;
  }
}

void RunRecorder::forget_pending() {
  while (!pending_.empty()) settle_pending(false);
}

void RunRecorder::gate(std::optional<std::size_t> announced) {
  // Statements not told ahead (the reads, a drop's id lookup among them) change
  // nothing the journal keeps, and leave what was told waiting.
  if (!announced) return;
  if (ahead_.empty() && !pending_.empty() && pending_.front().first == *announced)
    settle_pending(true);
  if (ahead_.empty() || ahead_.front().statement != *announced) return;
  const db::Announced& told = (*told_)[ahead_.front().statement];
  awaiting_ = std::move(ahead_.front().rows);
  ahead_.pop_front();
  // The deletion of the drops by name removes the lootdrops recorded for it.
  const auto by_name = [](const db::LootRow& row) {
    const auto* removed = std::get_if<db::RemovedLootdrops>(&row);
    return removed && removed->column == "name";
  };
  if (!unread_removals_ && !drops_to_remove_.empty() &&
      std::any_of(told.rows.begin(), told.rows.end(), by_name)) {
    awaiting_ = std::exchange(drops_to_remove_, {});
    send_decisive();
    deletion_sent_ = hearing_deletion_ = true;
  }
}

void RunRecorder::transaction_step(db::TransactionStep step) {
  if (step == db::TransactionStep::committing) return send_decisive();
  all_or_nothing_ = true;
  try {
    store_.await_decisive(run_);
  } catch (const std::exception& error) {
    journal_failed(error.what(), true);
  }
}

void RunRecorder::send_decisive() {
  if (incomplete_) return;  // a journal already failed keeps no more
  try {
    store_.decisive_sent(run_);
  } catch (const std::exception& error) {
    journal_failed(error.what(), true);
  }
}

void RunRecorder::heard(bool succeeded) {
  if (!succeeded) statement_failed_ = true;
  // The window's statements run on the session's connection.
  if (!succeeded && session_ && session_->db_connection && session_->db_connection->lost())
    server_lost_ = true;
  if (std::exchange(hearing_deletion_, false)) {
    // Refused by the server, the deletion removed nothing; lost on the way, it may have.
    deletion_sent_ = succeeded || server_lost_;
  }
  if (succeeded && !all_or_nothing_)
    confirmed_.insert(confirmed_.end(), awaiting_.begin(), awaiting_.end());
  awaiting_.clear();
}

void RunRecorder::record(const std::vector<Row>& rows) {
  forget_pending();
  if (recorded_.empty() && !rows.empty()) store_.await_decisive(run_);
  const auto ids = store_.record(run_, rows, confirmed_, forget_);
  recorded_.insert(recorded_.end(), ids.begin(), ids.end());
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind == RowKind::deleted && rows[i].table == "lootdrop")
      drops_to_remove_.push_back(ids[i]);
  confirmed_.clear();
  forget_.clear();
  rows_ += static_cast<std::int64_t>(rows.size());
}

void RunRecorder::forget() {
  if (run_ == 0) return;
  forget_pending();
  detach();
  store_.forget_run(std::exchange(run_, 0));
}

void RunRecorder::end(Ending ending, Written written) {
  if (server_lost_ && stored_ending(ending) == kFailedText) ending = Ending::connection_lost;
  if (run_ == 0) return;
  forget_pending();
  detach();
  const std::int64_t run = run_;
  run_ = 0;
  // The rows read for a deletion that never went out (or that the server
  // refused) were never deleted: undo must not put them back.
  if (!deletion_sent_ && !recorded_.empty()) {
    rows_ -= static_cast<std::int64_t>(recorded_.size());
    forget_.insert(forget_.end(), recorded_.begin(), recorded_.end());
  }
  if (rows_ == 0 && !incomplete_) return store_.forget_run(run);
  if (!confirmed_.empty() || !forget_.empty()) store_.record(run, {}, confirmed_, forget_);
  confirmed_.clear();
  forget_.clear();
  if (written == Written::all) store_.set_uncertain(run, false);
  if (written == Written::unknown) store_.set_uncertain(run, true);
  if (written == Written::none) store_.forget_rows(run);
  store_.end_run(run, std::string(stored_ending(ending)), incomplete_);
}

}  // namespace vl::journal
