#include "journal/run_info.h"

namespace vl::journal {

std::string still_written(const RunInfo& run) {
  if (run.writer == 0) return "";
  return "is still being written (process " + std::to_string(run.writer) +
         "); undo it after it ends.";
}

std::string shown_outcome(const RunInfo& run) {
  std::string shown = run.writer ? "running" : run.outcome.empty() ? "unfinished" : run.outcome;
  if (run.journal_incomplete) shown += ", journal incomplete";
  if (run.undone) shown += ", undone";
  return shown;
}

std::string why_not_undoable(const RunInfo& run) {
  if (run.writer) return "It " + still_written(run);
  if (run.undone) return "It has been undone already.";
  if (run.removed_unread)
    return "The window's delete button removes drops without reading them first, so only "
           "their ids were kept and they cannot be put back.";
  if (run.rows == 0) return "It changed nothing in the world.";
  return "";
}

}  // namespace vl::journal
