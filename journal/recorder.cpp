#include "journal/recorder.h"

#include <cstdlib>

#include "db/odbc.h"

namespace vl::journal {

std::string default_journal_path() {
  if (const char* path = std::getenv("VANDRIL_LOOT_JOURNAL"); path && *path) return path;
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string base =
      data && *data ? std::string(data) : std::string(home ? home : ".") + "/.local/share";
  return base + "/vandril_loot/journal.sqlite3";
}

RunRecorder::~RunRecorder() { detach(); }

void RunRecorder::begin(db::Session& session, const std::string& command,
                        const std::string& settings, bool unread_removals) {
  RunInfo info;
  info.started = utc_timestamp();
  info.host = session.db_host;
  info.database = session.db_name;
  info.command = command;
  info.settings = settings;
  run_ = store_.begin_run(info);
  statements_ = 0;
  incomplete_ = statement_failed_ = false;
  unread_removals_ = unread_removals;
  failure_.clear();
  awaiting_.clear();
  confirmed_.clear();
  session_ = &session;
  session.statement_gate = [this](const std::string& sql) { gate(sql); };
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
  session_->statement_observer = observer_before_;
  if (session_->db_connection) {
    session_->db_connection->set_gate(nullptr);
    session_->db_connection->set_observer(observer_before_);
  }
  session_ = nullptr;
}

void RunRecorder::gate(const std::string& sql) {
  if (incomplete_ && on_failure_ == OnJournalFailure::carry_on) return;
  std::vector<Row> rows = rows_of_statement(sql);
  if (!unread_removals_)
    std::erase_if(rows, [](const Row& row) { return row.kind == RowKind::removed; });
  if (rows.empty()) return;
  try {
    awaiting_ = store_.record(run_, rows, confirmed_);
    confirmed_.clear();
  } catch (const std::exception& error) {
    incomplete_ = true;
    failure_ = error.what();
    if (on_failure_ == OnJournalFailure::carry_on) return;
    throw db::Error(
        "The journal could not be written (" + failure_ + "), so the statement was not sent.",
        "HY000", 0);
  }
}

void RunRecorder::heard(bool succeeded) {
  ++statements_;
  if (!succeeded) statement_failed_ = true;
  if (succeeded) confirmed_.insert(confirmed_.end(), awaiting_.begin(), awaiting_.end());
  awaiting_.clear();
}

void RunRecorder::record(const std::vector<Row>& rows) { store_.record(run_, rows); }

void RunRecorder::end(const std::string& outcome, Written written) {
  if (run_ == 0) return;
  detach();
  const std::int64_t run = run_;
  run_ = 0;
  if (statements_ == 0 && !incomplete_) return store_.forget_run(run);
  if (!confirmed_.empty()) store_.record(run, {}, confirmed_);
  if (written == Written::all) store_.set_uncertain(run, false);
  if (written == Written::unknown) store_.set_uncertain(run, true);
  if (written == Written::none) store_.forget_rows(run);
  store_.end_run(run, outcome, incomplete_);
}

}  // namespace vl::journal
