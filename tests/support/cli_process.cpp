#include "support/cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "support/test_db.h"

extern char** environ;

namespace vl::test {

CliProcess::CliProcess(const std::string& program, std::vector<std::string> args,
                       const std::string& input) {
  char folder[] = "/tmp/vandril_cli_XXXXXX";
  dir_ = mkdtemp(folder);
  write_db_ini(dir_ + "/db.ini");
  std::ofstream(dir_ + "/in", std::ios::binary) << input;
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, (dir_ + "/in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, (dir_ + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&files, 2, (dir_ + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&files, dir_.c_str());
  if (posix_spawn(&pid_, program.c_str(), &files, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&files);
}

CliProcess::~CliProcess() {
  if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  std::filesystem::remove_all(dir_);
}

CliResult CliProcess::wait() {
  int status = 0;
  if (pid_ <= 0) return {};
  waitpid(std::exchange(pid_, -1), &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          read_file(dir_ + "/out"), read_file(dir_ + "/err")};
}

}  // namespace vl::test
