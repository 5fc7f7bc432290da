#pragma once
// A command-line program run as the operator runs it: in a folder of its own
// holding db.ini for the test server, standard input from a file, its output
// and exit status collected; killed if still running when it goes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vl::test {

struct CliResult {
  int exit_code = -1;  // 128 + the signal for one that ended it
  std::string out, err;
};

class CliProcess {
 public:
  CliProcess(const std::string& program, std::vector<std::string> args,
             const std::string& input = "");
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;
  pid_t pid() const { return pid_; }
  CliResult wait();

 private:
  std::string dir_;
  pid_t pid_ = -1;
};

}  // namespace vl::test
