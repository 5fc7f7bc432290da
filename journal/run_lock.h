#pragma once
// Who writes a run: its writer holds an exclusive flock on a file of its own
// next to the journal ("<journal>.run<N>.lock", holding the writer's process
// id) from the run's start to its end. The kernel releases the lock when the
// process dies, so another process can tell for sure whether a run that never
// ended is still being written.

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace vl::journal {

class RunLock {
 public:
  // Takes the lock of run `run` of the journal at `journal_path`. Throws JournalError.
  RunLock(const std::string& journal_path, std::int64_t run);
  ~RunLock();
  RunLock(RunLock&& other) noexcept;
  RunLock& operator=(RunLock&&) = delete;
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

 private:
  std::string path_;
  int fd_ = -1;
};

// The process still writing run `run`, or 0 when no process holds its lock
// (the run ended, or its writer died: a lock left behind is removed).
pid_t run_writer(const std::string& journal_path, std::int64_t run);

}  // namespace vl::journal
