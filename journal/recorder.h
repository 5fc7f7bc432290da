#pragma once
// One write command's run in the journal: begun with the command's settings,
// every row a statement will change committed to the journal before the
// statement is sent (the session's statement gate), ended with the outcome.

#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ending.h"
#include "db/session.h"
#include "journal/background_writer.h"
#include "journal/store.h"

namespace vl::journal {

// $VANDRIL_LOOT_JOURNAL, else ${XDG_DATA_HOME:-$HOME/.local/share}/vandril_loot/journal.sqlite3,
// where only an absolute XDG_DATA_HOME or HOME counts. "" when there is no such
// place (never a folder relative to the working directory): kNoJournalPlace says why.
std::string default_journal_path();
inline constexpr const char* kNoJournalPlace =
    "there is no place for the journal: neither XDG_DATA_HOME nor HOME names a folder";

// The journal at `path`. Throws JournalError, also when there is no place for
// one (""). `existing`: for the commands that only read or undo, a missing file
// is refused (JournalError) instead of made.
std::unique_ptr<Store> open_journal(const std::string& path, bool existing = false,
                                    Store::Access access = Store::Access::read_write);

// What a journal that cannot be written does to the statement it was to cover.
enum class OnJournalFailure {
  refuse_statement,  // the statement is not sent (db::Error)
  carry_on,          // it is sent; the run is marked journal incomplete
};

// How the rows written ahead end: each as its statement was heard, or all at
// once by a transaction's end (committed, rolled back, or unknown which).
enum class Written { as_heard, all, none, unknown };

class RunRecorder {
 public:
  RunRecorder(Store& store, OnJournalFailure on_failure) : store_(store), on_failure_(on_failure) {}
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;
  ~RunRecorder();

  // Starts the run and puts the gate and the confirmations into `session`.
  // `unread_removals`: keep the ids of the lootdrops a deletion removes without
  // having read them (the window's delete button). Throws JournalError.
  void begin(db::Session& session, const std::string& command, const std::string& settings,
             bool unread_removals = false);
  bool running() const { return run_ != 0; }
  // The run's id in the journal while it runs (0 before and after).
  std::int64_t run_id() const { return run_; }
  // Rows recorded outside the gate (what a deletion is about to remove): the
  // lootdrops among them are confirmed once the deletion of the drops by name
  // succeeded, the rest when the run ends with Written::all. Throws JournalError.
  void record(const std::vector<Row>& rows);
  // Ends the run and takes the gate back out of the session; a run that
  // changed nothing in the world is forgotten. A run that failed at a statement
  // the server went away under ended with the server lost. The journal keeps
  // the ending's word (journal/stored_ending.h). Throws JournalError.
  void end(Ending ending, Written written);
  // Ends a run that left nothing in the world and is tried again as a run of
  // its own (another writer won a conflict): the journal forgets it whole.
  // Throws JournalError.
  void forget();

  // A statement the server refused during the run.
  bool statement_failed() const { return statement_failed_; }
  // The journal failed during the run (carry_on: it records nothing more).
  bool journal_failed() const { return incomplete_; }
  const std::string& failure() const { return failure_; }

 private:
  // A statement told ahead (its place in told_), with the ids of its rows in the journal.
  struct Ahead {
    std::size_t statement;
    std::vector<std::int64_t> rows;
  };
  // Statements of told_ (first to end) whose rows are being written on the
  // writer's thread, in one transaction.
  struct Pending {
    std::size_t first, end;
    std::vector<std::size_t> rows_per_statement;
    std::future<std::vector<std::int64_t>> ids;
  };
  void ahead(const db::AnnouncedStatements& told);
  // An all-or-nothing write's step: its start (rows then wait for COMMIT) and its COMMIT.
  void transaction_step(db::TransactionStep step);
  // Marks the decisive statement sent before it goes; withholds it when that fails.
  void send_decisive();
  // Whether the journal keeps `row` of this run.
  bool kept(const db::LootRow& row) const;
  // Writes the kept rows of statements first..end of `told`; returns their ids.
  std::vector<std::int64_t> write_told(std::int64_t run, const std::vector<db::Announced>& told,
                                       std::size_t first, std::size_t end,
                                       const std::vector<std::int64_t>& confirmed,
                                       const std::vector<std::int64_t>& forget);
  // Waits for the first pending rows: they stand for the statements to come
  // (`used`), or are forgotten with the next write.
  void settle_pending(bool used);
  // Forgets every pending write.
  void forget_pending();
  void journal_failed(const std::string& why, bool statement_waits);
  // A statement about to be sent: its place among those told last, if it is one.
  void gate(std::optional<std::size_t> announced);
  void heard(bool succeeded);
  void detach();

  Store& store_;
  OnJournalFailure on_failure_;
  db::Session* session_ = nullptr;
  db::StatementObserver observer_before_;
  std::int64_t run_ = 0, rows_ = 0;
  bool incomplete_ = false, statement_failed_ = false, server_lost_ = false;
  bool unread_removals_ = false;
  // The rows of an all-or-nothing write reach the world by its COMMIT alone,
  // never by a statement heard succeeding.
  bool all_or_nothing_ = false;
  // The deletion of the drops that record() read: whether its DELETE went out
  // and was not refused, and whether it is being heard. Until it went out the
  // rows read are not deleted.
  bool deletion_sent_ = false, hearing_deletion_ = false;
  std::vector<std::int64_t> recorded_;  // the ids of the rows record() read
  std::string failure_;
  std::vector<std::int64_t> awaiting_, confirmed_, forget_;
  std::vector<std::int64_t> drops_to_remove_;  // recorded lootdrops awaiting their deletion
  db::AnnouncedStatements told_;               // the statements told last
  std::deque<Ahead> ahead_;
  std::deque<Pending> pending_;
  std::unique_ptr<BackgroundWriter> writer_;  // last: stops before the rest goes
};

}  // namespace vl::journal
