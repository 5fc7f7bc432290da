#pragma once
// A relay (vandril_slow_link) between a client and the test server on the
// address VL_RELAY_HOST, for tests that slow the link or lose it mid-statement.
// Only the command-line tests define VL_RELAY and VL_RELAY_HOST.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "support/cli_process.h"

namespace vl::test {

// The relay between the program and the server (db.ini's host VL_RELAY_HOST) while it lives.
class Relay {
 public:
  explicit Relay(const std::string& delay_ms, const std::string& cut_on = "") {
    Args args = {VL_RELAY,           "--listen",   VL_RELAY_HOST, "--server",
                 db_settings().host, "--delay-ms", delay_ms};
    if (!cut_on.empty()) args.insert(args.end(), {"--cut-on", cut_on});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, VL_RELAY, nullptr, nullptr, argv.data(), environ), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ~Relay() { kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0); }
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

 private:
  pid_t pid_ = -1;
};

}  // namespace vl::test
