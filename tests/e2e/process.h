#pragma once
// Child processes for the end-to-end test: short commands whose output is
// read (xdotool, import) and long-running ones that are stopped at the end
// (Xvfb, the program under test).

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vl::e2e {

struct CommandResult {
  int status = -1;     // exit status; -1 when it timed out or could not start
  std::string output;  // standard output and standard error together
};

// Runs argv[0] (looked up on the PATH) with the current environment plus
// `extra_env` and waits at most `timeout` for it; one that runs longer is killed.
CommandResult run_command(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env = {},
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A process that runs until it ends or is stopped; the destructor stops it.
class ChildProcess {
 public:
  // Starts argv in `working_dir` with the current environment plus
  // `extra_env` ("NAME=value", replacing a variable of the same name); its
  // output goes to `output_file`. Throws std::runtime_error if it cannot start.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
               const std::string& working_dir, const std::string& output_file);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The exit status once it has ended (128 + signal number for a signal).
  std::optional<int> exit_status();
  std::optional<int> wait_for_exit(std::chrono::milliseconds timeout);
  // SIGTERM, then SIGKILL if it has not ended within a second; reaps it.
  void stop();

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace vl::e2e
