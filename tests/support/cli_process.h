#pragma once
// The command line run as the operator runs it, for the tests of the test_cli
// program (which defines VL_CLI): in a folder of its own holding db.ini, its
// standard input from a file, its output and error kept.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_db.h"

extern char** environ;

namespace vl::test {

using Args = std::vector<std::string>;

struct CliResult {
  int exit_code = -1;  // 128 + the signal that ended it
  std::string out, err;
};

class CliProcess {
 public:
  explicit CliProcess(Args args, const std::string& input = "", const std::string& password = "",
                      const std::string& host = "") {
    char folder[] = "/tmp/vandril_cli_XXXXXX";
    dir_ = mkdtemp(folder);
    write_db_ini(dir_ + "/db.ini", password, host);
    std::ofstream(dir_ + "/in", std::ios::binary) << input;
    args.insert(args.begin(), VL_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, (dir_ + "/in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, (dir_ + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, 2, (dir_ + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&files, dir_.c_str());
    EXPECT_EQ(posix_spawn(&pid_, VL_CLI, &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
  }
  ~CliProcess() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    std::filesystem::remove_all(dir_);
  }
  pid_t pid() const { return pid_; }
  CliResult wait() {
    int status = 0;
    waitpid(std::exchange(pid_, -1), &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            read_file(dir_ + "/out"), read_file(dir_ + "/err")};
  }

 private:
  std::string dir_;
  pid_t pid_ = -1;
};

#ifdef VL_JOURNAL_DIR
// A journal of its own in the build folder, made afresh: its path.
inline std::string fresh_journal(const std::string& name) {
  const std::string path = VL_JOURNAL_DIR "/" + name + ".sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  return path;
}
#endif

inline Args journaled(const std::string& journal, Args args) {
  args.insert(args.begin(), {"--journal", journal});
  return args;
}
inline Args operator+(Args a, const Args& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline CliResult run_cli(const Args& args, const std::string& input = "",
                         const std::string& password = "") {
  return CliProcess(args, input, password).wait();
}

}  // namespace vl::test
