#pragma once
// Undoing a journaled run, the same under both shells: a run that may be
// undone on db.ini's world is read against it, the shell is asked, the undo is
// sent in one transaction and the run marked undone. Each shell asks its own
// question and turns the outcome into its own output.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/ending.h"
#include "db/odbc.h"
#include "db/session.h"
#include "journal/store.h"
#include "journal/undo.h"

namespace vl::app {

// The conflicts of an undo as an operator reads them: the first few, the
// count of the rest, how many in each table, and the later runs to undo first
// when the journal knows they deleted what is missing.
struct ConflictSummary {
  std::vector<std::string> shown;
  std::size_t more = 0;
  std::string per_table;  // "lootdrop 60, lootdrop_entries 120"; "" without conflicts
  std::string cause;      // "run 3 deleted these; undo run 3 first."; "" when unknown
};
ConflictSummary summarize_conflicts(const journal::UndoPlan& plan);

struct UndoSteps {
  // The world's connection, or nullptr once the shell has said why there is none.
  std::function<std::unique_ptr<db::Connection>()> connect;
  // Given what was read before anything changes; true goes on to undo it.
  std::function<bool(const journal::UndoPlan&)> confirm;
  // Whether confirm may wait (on a person) or only looks (a dry run): the world
  // is read before the transaction and read again, locked, inside it. false:
  // confirm answers at once and the world is read only once, locked, inside it.
  bool waits = true;
  // Looked at before each statement and before COMMIT; empty: never stops.
  std::function<bool()> stop_requested;
};

struct UndoResult {
  // completed (undone, committed); refused (`message` says why, or no_such_run);
  // connection_lost (the shell's connect said why); declined (the shell's
  // confirm did not go on); world_changed (the conflicts differ from those
  // asked about) or interrupted (stopped before COMMIT): rolled back;
  // rejected (a statement failed: rolled back, `failure` says how);
  // commit_unknown (the connection was lost during COMMIT: undone or not,
  // `failure` says how); journal_refused (the journal could not be read:
  // `message` says why).
  Ending ending = Ending::refused;
  bool no_such_run = false;  // refused: the journal holds no such run
  std::string message;
  journal::UndoPlan asked;    // as read before the question
  journal::UndoPlan applied;  // as read again inside the transaction
  std::optional<db::Error> failure;
  // Undone, but the journal could not mark it so: why; "" when it did.
  std::string unmarked;
};

UndoResult undo_journaled_run(journal::Store& store, const db::Session& session, std::int64_t run,
                              const UndoSteps& steps);

}  // namespace vl::app
