#pragma once
// A journaled run as the journal lists it, and what its state allows: shown
// as running, unfinished or ended, and undoable or not. Shared by the store
// that keeps the runs and the undo that reads them.

#include <sys/types.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vl::journal {

class JournalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunInfo {
  std::int64_t id = 0;
  std::string started, ended;  // UTC, ISO 8601; ended "" while running or when the process died
  std::string host, database, command, settings;
  std::string outcome;  // "" until the run ends
  bool journal_incomplete = false;
  bool undone = false;
  std::int64_t rows = 0;
  bool removed_unread = false;  // it deleted rows it never read (the window's delete button)
  pid_t writer = 0;             // the process still writing it (see RunLock), 0 when none
};

// Why the run cannot be undone, or "" when it can.
std::string why_not_undoable(const RunInfo& run);

// "is still being written (process P); undo it after it ends." for a run
// being written, else "".
std::string still_written(const RunInfo& run);

// The state a run is shown in: its outcome, "running" while its writer holds
// it, "unfinished" when it never ended.
std::string shown_outcome(const RunInfo& run);

}  // namespace vl::journal
