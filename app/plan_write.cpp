#include "app/plan_write.h"

#include <array>
#include <memory>

#include "db/cluster.h"
#include "db/database.h"

namespace vl::app {
namespace {

using journal::Written;

struct WrittenRow {
  Ending ending;
  Written written;
};

// An all-or-nothing write leaves its rows by COMMIT alone: all of them, none
// (rolled back, or never sent), or unknown which when COMMIT went unanswered.
constexpr std::array<WrittenRow, 2> kWritten{{
    {Ending::completed, Written::all},
    {Ending::commit_unknown, Written::unknown},
}};

double seconds_since(std::chrono::steady_clock::time_point started) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

RunEnding run_ending(Ending ending) {
  for (const WrittenRow& row : kWritten)
    if (row.ending == ending) return {ending, row.written};
  return {ending, Written::none};
}

PlanWritten write_plan(db::Session& session, db::Connection& connection, loot::Plan& plan,
                       PlanJournal* journal, const PlanWriteRequest& request) {
  PlanWritten written;
  loot::AtomicResult result;
  // Another writer that wins a conflict leaves this attempt wholly rolled back:
  // the same drops, numbered from the highest ids read again, are tried again.
  // Each attempt is a run of its own in the journal, forgotten unless it committed.
  for (;;) {
    if (journal) {
      try {
        written.run_id = journal->begin(session, request.command, request.settings);
      } catch (const journal::JournalError& error) {
        written.ending = Ending::journal_refused;
        written.message = error.what();
        written.seconds = seconds_since(request.started);
        return written;
      }
    }
    // The connection may be older than the run: it takes the run's gate and ears now.
    connection.set_observer(session.statement_observer);
    connection.set_gate(session.statement_gate);
    try {
      result = loot::write_atomically(connection, plan, request.stop_requested, {},
                                      session.statements_ahead, request.ids_as_planned,
                                      request.world_changes, session.transaction_steps);
    } catch (...) {
      if (journal) journal->end({Ending::rejected, Written::none});
      throw;
    }
    if (!result.lost_conflict || request.ids_as_planned ||
        written.conflicts == db::kConflictRetries)
      break;
    if (journal) journal->forget();
    ++written.conflicts;
    db::wait_before_retry(written.conflicts);
  }
  if (result.lost_conflict && request.ids_as_planned) {
    // A saved plan holds its ids: another writer took them, as a changed world would.
    result.ending = Ending::refused;
    result.message =
        "Another writer wrote to the loot tables while the plan was written; the transaction "
        "was rolled back, nothing was written. Make a new plan.\n" +
        result.message;
  } else if (result.lost_conflict) {
    result.message = "Gave up after " + std::to_string(written.conflicts + 1) +
                     " conflicts with other writers.\n" + result.message;
  }
  if (journal) journal->end(run_ending(result.ending));
  written.ending = result.ending;
  written.message = std::move(result.message);
  if (result.ending == Ending::completed) {
    written.drops = plan.drops.size();
    written.entries = plan.entries();
    written.copies = plan.copies.size();
    if (written.conflicts > 0)
      written.message = "The run committed after " + std::to_string(written.conflicts) +
                        (written.conflicts == 1 ? " conflict" : " conflicts") +
                        " with other writers.";
  }
  written.seconds = seconds_since(request.started);
  return written;
}

PlanWritten write_plan_connecting(db::Session& session, loot::Plan& plan, PlanJournal* journal,
                                  const PlanWriteRequest& request) {
  std::unique_ptr<db::Connection> connection;
  try {
    connection = std::make_unique<db::Connection>(db::connection_string(session));
  } catch (const db::Error& error) {
    PlanWritten lost;
    lost.ending = Ending::connection_lost;
    lost.message = "The world database cannot be reached.\n" + std::string(error.what());
    lost.seconds = seconds_since(request.started);
    return lost;
  }
  return write_plan(session, *connection, plan, journal, request);
}

}  // namespace vl::app
