#pragma once
// The server's general query log as the record of what a command sent: which
// connections it made and which statements it ran on each, in order.

#include <string>
#include <vector>

#include "tests/support/general_log.h"

namespace vl::bench {

// The tests' parser of the log.
using test::log_size;
using test::LogEntry;
using test::read_log;

// What one command sent: a session per connection it made, in the order made,
// each with the statements run on it in order. The driver's own statements
// after a connect are not part of it: the replaying driver sends them itself.
struct Script {
  struct Session {
    std::vector<std::string> statements;
  };
  std::vector<Session> sessions;
  std::size_t statement_count = 0;
};

// Texts of the statements (Query and Execute entries) of one connection.
std::vector<std::string> statements_of(const std::vector<LogEntry>& entries, long long connection);

// Builds the script from the entries of one command, leaving out the entries
// of `ignored_connection` (the runner's own). `preamble` is what the driver
// sends on connect; every session must begin with it. Throws std::runtime_error
// when a statement runs on a connection made before the command.
Script script_from_log(const std::vector<LogEntry>& entries, long long ignored_connection,
                       const std::vector<std::string>& preamble);

}  // namespace vl::bench
