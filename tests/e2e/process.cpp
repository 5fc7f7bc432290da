#include "e2e/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vl::e2e {
namespace {

using Clock = std::chrono::steady_clock;

// The long-running children (Xvfb, the program) while they run: should the
// test itself be ended by a signal or crash, its handler ends them too, so
// that nothing is left behind.
constexpr std::size_t kMaxChildren = 16;
std::array<std::atomic<pid_t>, kMaxChildren> running_children{};

void end_children_and_reraise(int signal_number) {
  for (auto& child : running_children) {
    const pid_t pid = child.load();
    if (pid > 0) kill(pid, SIGKILL);
  }
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void remember_child(pid_t pid) {
  static const bool handlers_installed = [] {
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGABRT, SIGSEGV, SIGBUS, SIGFPE}) {
      struct sigaction action {};
      action.sa_handler = end_children_and_reraise;
      sigaction(s, &action, nullptr);
    }
    return true;
  }();
  (void)handlers_installed;
  for (auto& child : running_children) {
    pid_t empty = 0;
    if (child.compare_exchange_strong(empty, pid)) return;
  }
}

void forget_child(pid_t pid) {
  for (auto& child : running_children) {
    pid_t known = pid;
    if (child.compare_exchange_strong(known, 0)) return;
  }
}

std::vector<char*> c_strings(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> environment_with(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    const std::string name = variable.substr(0, variable.find('='));
    bool replaced = false;
    for (const std::string& e : extra) replaced = replaced || e.rfind(name + "=", 0) == 0;
    if (!replaced) env.push_back(variable);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

int decode_status(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

// The file actions of one spawn, released however the spawn ends.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// posix_spawn does nothing between fork and exec that a threaded process
// (the D-Bus connection runs a thread) must avoid.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env,
            posix_spawn_file_actions_t* actions) {
  std::vector<char*> args = c_strings(argv);
  std::vector<char*> envp = c_strings(env);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data());
  if (error != 0) {
    throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
  }
  return pid;
}

}  // namespace

CommandResult run_command(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env,
                          std::chrono::milliseconds timeout) {
  int pipe_ends[2];
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  SpawnActions actions;
  posix_spawn_file_actions_adddup2(actions.get(), pipe_ends[1], 1);
  posix_spawn_file_actions_adddup2(actions.get(), pipe_ends[1], 2);
  pid_t pid = -1;
  try {
    pid = spawn(argv, environment_with(extra_env), actions.get());
  } catch (...) {
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    throw;
  }
  close(pipe_ends[1]);

  CommandResult result;
  const auto deadline = Clock::now() + timeout;
  bool timed_out = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd fd{pipe_ends[0], POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(pipe_ends[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the command closed its output: it has ended
    result.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipe_ends[0]);
  if (timed_out) kill(pid, SIGKILL);
  int raw = 0;
  waitpid(pid, &raw, 0);
  result.status = timed_out ? -1 : decode_status(raw);
  return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extra_env,
                           const std::string& working_dir, const std::string& output_file) {
  SpawnActions actions;
  posix_spawn_file_actions_addchdir_np(actions.get(), working_dir.c_str());
  posix_spawn_file_actions_addopen(actions.get(), 1, output_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(actions.get(), 1, 2);
  posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
  pid_ = spawn(argv, environment_with(extra_env), actions.get());
  remember_child(pid_);
}

ChildProcess::~ChildProcess() { stop(); }

std::optional<int> ChildProcess::exit_status() {
  if (!status_ && pid_ > 0) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = decode_status(raw);
      forget_child(pid_);
    }
  }
  return status_;
}

std::optional<int> ChildProcess::wait_for_exit(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!exit_status() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exit_status();
}

void ChildProcess::stop() {
  if (pid_ <= 0 || exit_status()) return;
  kill(pid_, SIGTERM);
  if (!wait_for_exit(std::chrono::seconds(1))) {
    kill(pid_, SIGKILL);
    int raw = 0;
    waitpid(pid_, &raw, 0);
    status_ = decode_status(raw);
    forget_child(pid_);
  }
}

}  // namespace vl::e2e
