#pragma once
// "Write a plan": the one way a plan reaches the world, for the Preview's
// "Write all at once", generate and apply. It begins the journal's run, puts
// the run's gate onto the connection, writes the plan all or nothing, ends the
// run by the one table of endings, and hands back what happened as a value
// that each shell words in its own way (a message box, an exit code and text).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/ending.h"
#include "db/odbc.h"
#include "db/session.h"
#include "journal/recorder.h"
#include "loot/atomic_writer.h"
#include "loot/plan.h"

namespace vl::app {

// How a write's run ends in the journal: its ending and what became of the
// rows it wrote ahead.
struct RunEnding {
  Ending ending;
  journal::Written written;
  bool operator==(const RunEnding&) const = default;
};

// The one table from how an all-or-nothing write ended to the run's ending.
RunEnding run_ending(Ending ending);

// Where a write's run is journaled (the window's journal, the command line's).
class PlanJournal {
 public:
  virtual ~PlanJournal() = default;
  // Begins the run, putting its gate and confirmations into `session`; the
  // run's id, or nullopt when it goes unjournaled. Throws journal::JournalError
  // when the run must not be written without its journal.
  virtual std::optional<std::int64_t> begin(db::Session& session, const std::string& command,
                                            const std::string& settings) = 0;
  virtual void end(RunEnding ending) = 0;
  // Forgets the run begun: its attempt was rolled back whole by another
  // writer's conflict and is tried again as a new run.
  virtual void forget() = 0;
};

struct PlanWriteRequest {
  std::string command{};   // as the journal names the run: "preview", "generate", "apply"
  std::string settings{};  // as the journal keeps them
  // Only with the plan's own lootdrop ids, the world read again under the
  // lock by `world_changes` (see loot::write_atomically): a saved plan.
  bool ids_as_planned = false;
  loot::WorldChanges world_changes{};
  std::function<bool()> stop_requested{};  // asked before every statement up to COMMIT
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

struct PlanWritten {
  Ending ending = Ending::completed;               // as loot::AtomicResult tells it
  std::size_t drops = 0, entries = 0, copies = 0;  // written (none unless committed)
  double seconds = 0;                              // since the request's start
  std::optional<std::int64_t> run_id;              // the journal's run, once begun
  int conflicts = 0;    // attempts another writer's conflict rolled back before this one
  std::string message;  // why it was not written ("\n" between lines); "" when completed
  // The journal refused to begin the run: nothing was sent; `message` says why.
  bool refused_by_journal() const { return ending == Ending::journal_refused && !run_id; }
};

// Writes `plan` over `connection` (made with `session`'s settings), journaled
// in `journal` (nullptr: none). The plan's lootdrop (and copies') ids become
// those written.
PlanWritten write_plan(db::Session& session, db::Connection& connection, loot::Plan& plan,
                       PlanJournal* journal, const PlanWriteRequest& request);

// Writes the plan over a connection of its own made with `session`'s settings;
// a connection that cannot be made ends it as a lost server, nothing written.
PlanWritten write_plan_connecting(db::Session& session, loot::Plan& plan, PlanJournal* journal,
                                  const PlanWriteRequest& request);

}  // namespace vl::app
