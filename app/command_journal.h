#pragma once
// A command-line write's run in the journal: begun with the command's settings
// once it is about to write, every row a statement will change committed to
// the journal before the statement is sent (the session's statement gate), a
// statement the journal cannot record refused, and ended with the outcome.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/plan_write.h"
#include "core/ending.h"
#include "journal/recorder.h"
#include "journal/store.h"

namespace vl::app {

// How a run written statement by statement (the window's way, delete, repair)
// ended: each statement stands on its own, so what was written stays.
struct StepwiseEnd {
  Ending ending = Ending::completed;
  bool written = false;      // some of its statements reached the world
  bool interrupted = false;  // Ctrl+C, SIGTERM or SIGHUP stopped it
  bool operator==(const StepwiseEnd&) const = default;
};

// Such a run's ending in the journal (run_ending's shape): its rows stay as
// the statements left them, so only a completed run says it wrote them all.
inline RunEnding run_ending(const StepwiseEnd& end) {
  using journal::Written;
  if (end.interrupted) return {Ending::interrupted, Written::as_heard};
  return {end.ending, end.ending == Ending::completed ? Written::all : Written::as_heard};
}

class CommandJournal : public PlanJournal {
 public:
  // `end_failed` hears why the run's end could not be recorded.
  CommandJournal(std::unique_ptr<journal::Store> store,
                 std::function<void(const std::string&)> end_failed)
      : store_(std::move(store)),
        recorder_(*store_, journal::OnJournalFailure::refuse_statement),
        end_failed_(std::move(end_failed)) {}

  // Starts the run and puts the gate and the confirmations into `session`.
  // Throws journal::JournalError.
  std::optional<std::int64_t> begin(db::Session& session, const std::string& command,
                                    const std::string& settings) override {
    recorder_.begin(session, command, settings);
    return run_id_ = recorder_.run_id();
  }
  void forget() override {
    try {
      recorder_.forget();
    } catch (const std::exception& error) {
      end_failed_(error.what());
    }
  }
  // The run's id, once begun (0 before).
  std::int64_t run_id() const { return run_id_; }
  // Rows recorded outside the gate (what delete is about to remove).
  void record(const std::vector<journal::Row>& rows) { recorder_.record(rows); }
  // Ends the run; a run ended already stays as it is.
  void end(RunEnding ending) override {
    if (!recorder_.running()) return;
    try {
      recorder_.end(ending.ending, ending.written);
    } catch (const std::exception& error) {
      end_failed_(error.what());
    }
  }

 private:
  std::unique_ptr<journal::Store> store_;
  journal::RunRecorder recorder_;
  std::function<void(const std::string&)> end_failed_;
  std::int64_t run_id_ = 0;
};

}  // namespace vl::app
