#include "app/undo_flow.h"

#include "db/transaction.h"

namespace vl::app {

UndoResult undo_journaled_run(journal::Store& store, const db::Session& session, std::int64_t run,
                              const UndoSteps& steps) {
  UndoResult result;
  const auto found = store.find_run(run);
  if (found.empty()) return result;
  result.message = journal::undo_refusal(found.front(), session);
  if (!result.message.empty()) {
    result.end = UndoEnd::refused;
    return result;
  }
  const std::unique_ptr<db::Connection> connection = steps.connect();
  if (!connection) {
    result.end = UndoEnd::not_connected;
    return result;
  }
  try {
    result.message = journal::rollback_refusal(*connection, store, run);
    if (!result.message.empty()) {
      result.end = UndoEnd::refused;
      return result;
    }
    journal::UndoApplied applied;
    if (steps.waits) {
      result.asked = journal::plan_undo(*connection, store, run);
      if (!steps.confirm(result.asked)) {
        result.end = UndoEnd::declined;
        return result;
      }
      applied = journal::apply_undo(*connection, store, run, result.asked, steps.stop_requested);
    } else {
      applied = journal::undo_at_once(*connection, store, run, steps.confirm, steps.stop_requested);
      result.asked = applied.plan;
    }
    result.applied = std::move(applied.plan);
    switch (applied.outcome) {
      case journal::UndoOutcome::undone:
        break;
      case journal::UndoOutcome::declined:
        result.end = UndoEnd::declined;
        return result;
      case journal::UndoOutcome::stopped:
        result.end = UndoEnd::stopped;
        return result;
      case journal::UndoOutcome::world_changed:
        result.end = UndoEnd::world_changed;
        return result;
    }
  } catch (const db::CommitUnknown& error) {
    result.end = UndoEnd::commit_unknown;
    result.failure = error;
    return result;
  } catch (const db::Error& error) {
    result.end = UndoEnd::world_failed;
    result.failure = error;
    return result;
  } catch (const journal::JournalError& error) {
    result.end = UndoEnd::journal_failed;
    result.message = error.what();
    return result;
  }
  result.end = UndoEnd::undone;
  try {
    store.set_undone(run);
  } catch (const journal::JournalError& error) {
    result.unmarked = error.what();
  }
  return result;
}

}  // namespace vl::app
