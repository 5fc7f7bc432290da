#include "journal/recorder.h"

#include <cstdlib>
#include <iterator>
#include <optional>
#include <utility>

#include "db/odbc.h"

namespace vl::journal {

namespace {

// A folder named by the environment variable `name`, if it is absolute.
std::optional<std::string> folder_of(const char* name) {
  const char* folder = std::getenv(name);
  if (folder && *folder == '/') return folder;
  return std::nullopt;
}

const char* outcome_name(Ending ending) {
  switch (ending) {
    case Ending::completed:
      return "completed";
    case Ending::stopped:
      return "stopped";
    case Ending::server_lost:
      return "interrupted";
    case Ending::commit_unknown:
      return "commit unknown";
    case Ending::failed:
      break;
  }
  return "failed";
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

RunRecorder::~RunRecorder() {
  if (pending_) pending_->ids.wait();
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
  failure_.clear();
  awaiting_.clear();
  confirmed_.clear();
  forget_.clear();
  ahead_.clear();
  drops_to_remove_.clear();
  session_ = &session;
  session.statement_gate = [this](const std::string& sql) { gate(sql); };
  session.statements_ahead = [this](const std::vector<std::string>& sql) { ahead(sql); };
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
  session_->statement_observer = observer_before_;
  if (session_->db_connection) {
    session_->db_connection->set_gate(nullptr);
    session_->db_connection->set_observer(observer_before_);
  }
  session_ = nullptr;
}

std::vector<Row> RunRecorder::rows_of(const std::string& sql) const {
  std::vector<Row> rows = rows_of_statement(sql);
  if (!unread_removals_)
    std::erase_if(rows, [](const Row& row) { return row.kind == RowKind::removed; });
  return rows;
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

bool RunRecorder::write_ahead(const std::vector<Row>& rows, std::vector<std::int64_t>& ids) {
  if (incomplete_ && on_failure_ == OnJournalFailure::carry_on) return false;
  try {
    ids = store_.record(run_, rows, confirmed_, forget_);
    confirmed_.clear();
    forget_.clear();
    rows_ += static_cast<std::int64_t>(rows.size());
    return true;
  } catch (const std::exception& error) {
    journal_failed(error.what(), true);
    return false;
  }
}

void RunRecorder::ahead(const std::vector<std::string>& statements) {
  if (pending_ && pending_->statements == statements) return;  // told again: as guessed
  settle_pending(false);
  ahead_.clear();
  std::vector<Row> rows;
  std::vector<std::size_t> counts;
  for (const std::string& sql : statements) {
    std::vector<Row> of_statement = rows_of(sql);
    counts.push_back(of_statement.size());
    std::move(of_statement.begin(), of_statement.end(), std::back_inserter(rows));
  }
  if (rows.empty() || (incomplete_ && on_failure_ == OnJournalFailure::carry_on)) return;
  // Written on the writer's thread while the caller goes on (a drop looks up
  // its id meanwhile); its statements wait for it at the gate.
  if (!writer_) writer_ = std::make_unique<BackgroundWriter>();
  auto write = [this, run = run_, rows = std::move(rows), confirmed = std::exchange(confirmed_, {}),
                forget = std::exchange(forget_, {})] {
    return store_.record(run, rows, confirmed, forget);
  };
  pending_.emplace(Pending{statements, std::move(counts), writer_->run(std::move(write))});
}

void RunRecorder::settle_pending(bool used) {
  if (!pending_) return;
  Pending pending = std::move(*pending_);
  pending_.reset();
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
  for (std::size_t i = 0; i < pending.statements.size(); ++i) {
    const auto count = static_cast<std::ptrdiff_t>(pending.rows_per_statement[i]);
    ahead_.push_back({pending.statements[i], std::vector<std::int64_t>(next, next + count)});
    next += count;
  }
}

void RunRecorder::gate(const std::string& sql) {
  if (pending_ && pending_->statements.front() == sql) settle_pending(true);
  if (!ahead_.empty() && ahead_.front().sql == sql) {
    awaiting_ = std::move(ahead_.front().rows);
    ahead_.pop_front();
    return;
  }
  // A read (the drop's id lookup) leaves what was told ahead waiting.
  std::vector<Row> rows = rows_of(sql);
  if (rows.empty()) {
    // The deletion of the drops by name removes the lootdrops recorded for it.
    if (!drops_to_remove_.empty() && !unread_removals_) {
      const auto removed = rows_of_statement(sql);
      if (!removed.empty() && removed.front().kind == RowKind::removed &&
          removed.front().columns == std::vector<std::string>{"name"})
        awaiting_ = std::exchange(drops_to_remove_, {});
    }
    return;
  }
  // Out of step with what was told: each statement on its own again.
  settle_pending(false);
  ahead_.clear();
  std::vector<std::int64_t> ids;
  if (write_ahead(rows, ids)) awaiting_ = std::move(ids);
}

void RunRecorder::heard(bool succeeded) {
  if (!succeeded) statement_failed_ = true;
  // The window's statements run on the session's connection.
  if (!succeeded && session_ && session_->db_connection && session_->db_connection->lost())
    server_lost_ = true;
  if (succeeded) confirmed_.insert(confirmed_.end(), awaiting_.begin(), awaiting_.end());
  awaiting_.clear();
}

void RunRecorder::record(const std::vector<Row>& rows) {
  settle_pending(false);
  const auto ids = store_.record(run_, rows, confirmed_, forget_);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind == RowKind::deleted && rows[i].table == "lootdrop")
      drops_to_remove_.push_back(ids[i]);
  confirmed_.clear();
  forget_.clear();
  rows_ += static_cast<std::int64_t>(rows.size());
}

void RunRecorder::end(Ending ending, Written written) {
  if (ending == Ending::failed && server_lost_) ending = Ending::server_lost;
  if (run_ == 0) return;
  settle_pending(false);
  detach();
  const std::int64_t run = run_;
  run_ = 0;
  if (rows_ == 0 && !incomplete_) return store_.forget_run(run);
  if (!confirmed_.empty() || !forget_.empty()) store_.record(run, {}, confirmed_, forget_);
  confirmed_.clear();
  forget_.clear();
  if (written == Written::all) store_.set_uncertain(run, false);
  if (written == Written::unknown) store_.set_uncertain(run, true);
  if (written == Written::none) store_.forget_rows(run);
  store_.end_run(run, outcome_name(ending), incomplete_);
}

}  // namespace vl::journal
