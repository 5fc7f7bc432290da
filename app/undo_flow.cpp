#include "app/undo_flow.h"

#include <algorithm>

#include "db/cluster.h"
#include "db/transaction.h"

namespace vl::app {

ConflictSummary summarize_conflicts(const journal::UndoPlan& plan) {
  // Enough to recognise the kind; a run of hundreds of rows would bury the count.
  constexpr std::size_t kShown = 10;
  ConflictSummary summary;
  const std::size_t shown = std::min(plan.conflicts.size(), kShown);
  summary.shown.assign(plan.conflicts.begin(),
                       plan.conflicts.begin() + static_cast<std::ptrdiff_t>(shown));
  summary.more = plan.conflicts.size() - shown;
  for (const auto& [table, count] : plan.conflicts_per_table)
    summary.per_table +=
        (summary.per_table.empty() ? "" : ", ") + table + " " + std::to_string(count);
  std::string runs, first;
  for (const std::int64_t run : plan.deleted_by_later_runs) {
    runs += (runs.empty()                                 ? ""
             : &run == &plan.deleted_by_later_runs.back() ? " and "
                                                          : ", ") +
            std::to_string(run);
    first = std::to_string(run);  // the newest, which undo takes first
  }
  const bool several = plan.deleted_by_later_runs.size() > 1;
  if (!runs.empty())
    summary.cause =
        (several ? "runs " : "run ") + runs + " deleted these; undo " +
        (several ? "them first, newest first (run " + first + ")." : "run " + first + " first.");
  return summary;
}

UndoResult undo_journaled_run(journal::Store& store, const db::Session& session, std::int64_t run,
                              const UndoSteps& steps) {
  UndoResult result;
  const auto found = store.find_run(run);
  if (found.empty()) {
    result.no_such_run = true;
    return result;
  }
  result.message = journal::undo_refusal(found.front(), session);
  if (!result.message.empty()) {
    result.ending = Ending::refused;
    return result;
  }
  const std::unique_ptr<db::Connection> connection = steps.connect();
  if (!connection) {
    result.ending = Ending::connection_lost;
    return result;
  }
  try {
    result.message = journal::rollback_refusal(*connection, store, run);
    if (!result.message.empty()) {
      result.ending = Ending::refused;
      return result;
    }
    journal::UndoApplied applied;
    if (steps.waits) {
      result.asked = journal::plan_undo(*connection, store, run);
      if (!steps.confirm(result.asked)) {
        result.ending = Ending::declined;
        return result;
      }
    }
    // A conflict another writer won rolled the whole attempt back: the next
    // one reads the world again and checks every rule afresh.
    for (int conflicts = 0;; ++conflicts) {
      try {
        if (steps.waits) {
          applied =
              journal::apply_undo(*connection, store, run, result.asked, steps.stop_requested);
        } else {
          applied =
              journal::undo_at_once(*connection, store, run, steps.confirm, steps.stop_requested);
          result.asked = applied.plan;
        }
        break;
      } catch (const db::CommitUnknown&) {
        throw;
      } catch (const db::Error& error) {
        if (!db::lost_to_other_writer(error) || conflicts == db::kConflictRetries) throw;
        db::wait_before_retry(conflicts + 1);
      }
    }
    result.applied = std::move(applied.plan);
    result.ending = applied.ending;
    if (result.ending != Ending::completed) return result;
  } catch (const db::CommitUnknown& error) {
    result.ending = Ending::commit_unknown;
    result.failure = error;
    return result;
  } catch (const db::Error& error) {
    result.ending = Ending::rejected;
    result.failure = error;
    return result;
  } catch (const journal::JournalError& error) {
    result.ending = Ending::journal_refused;
    result.message = error.what();
    return result;
  }
  try {
    store.set_undone(run);
  } catch (const journal::JournalError& error) {
    result.unmarked = error.what();
  }
  return result;
}

}  // namespace vl::app
