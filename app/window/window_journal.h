#pragma once
// The window's journal: Execute, the delete button and Repair each become a
// run in the journal, their statements and messages exactly as without one.
// It is opened at the first of them, never at start-up. A journal that cannot
// be opened or written costs no world data: the commands carry on without it,
// and only the History window tells why undo is unavailable.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/plan_write.h"
#include "app/window/command_guard.h"
#include "journal/recorder.h"
#include "journal/store.h"

namespace vl::app {

class WindowJournal : public PlanJournal {
 public:
  enum class Kind { execute, delete_drops, repair };  // the journaled commands
  // The journal at `path` (default_journal_path() in the program; "": there
  // is no place for one). Opens nothing yet.
  explicit WindowJournal(std::string path);
  WindowJournal(const WindowJournal&) = delete;
  WindowJournal& operator=(const WindowJournal&) = delete;

  // The write commands of the main window, journaled. Others run as they are.
  Command execute();
  Command delete_drops();
  Command repair();

  // The Preview's "Write all at once" as a run of "preview" (see write_plan).
  // A journal that cannot begin the run costs no world data: it runs unjournaled.
  std::optional<std::int64_t> begin(db::Session& session, const std::string& command,
                                    const std::string& settings) override;
  void end(RunEnding ending) override;
  void forget() override;

  // The journal to read and undo from: the one the commands write, else an
  // existing journal file (none is created here). nullptr while there is none;
  // then why_unavailable() says why, or is "" when no run was journaled yet.
  // The window's thread reads it while the Preview's worker may open or lose
  // it: the store stays whole as long as the caller holds it.
  std::shared_ptr<journal::Store> store();
  // "Undo is unavailable: " and the reason, or "".
  std::string why_unavailable() const;

 private:
  void run(Kind kind, const Command& command, ProgramState& state, UiPort& ui);
  void open();  // with mutex_ held
  // A recorder ready to begin a run; false when there is no journal.
  bool ready();
  void end_run(Ending ending, journal::Written written);
  void lose_journal(const std::string& why);

  std::string path_;
  // store_ and unavailable_ are set by whichever thread writes a run (the
  // window's, or the Preview's worker) and read by the History window.
  mutable std::mutex mutex_;
  std::shared_ptr<journal::Store> store_;
  std::unique_ptr<journal::RunRecorder> recorder_;  // only on the thread writing a run
  std::string unavailable_;                         // why undo is unavailable
  bool plan_run_begun_ = false;                     // begin() began the run in progress
};

// Asked before the world is changed; true goes on.
using Question = std::function<bool(const std::string& question)>;

// The History window's Undo: refuses what cannot be undone, lists the
// conflicts and asks whether to undo the rest, else asks to confirm; then
// undoes in one transaction and marks the run undone. Reports through `ui`.
// Returns whether the run was undone.
bool undo_run(journal::Store& store, const db::Session& session, std::int64_t run, UiPort& ui,
              const Question& ask);

}  // namespace vl::app
