#pragma once
// The server's general query log, read from a byte offset on: which connections
// came and went and which statements each sent, in order. The tests and the
// benchmarks read it through this one parser.

#include <cstdint>
#include <string>
#include <vector>

namespace vl::test {

struct LogEntry {
  long long connection = 0;
  std::string command;   // "Connect", "Query", "Prepare", "Execute", "Quit", ...
  std::string argument;  // a statement spanning lines keeps its "\n"
};

std::uint64_t log_size(const std::string& path);
std::vector<LogEntry> read_log(const std::string& path, std::uint64_t from);

// What the ODBC driver sends on its own after a connect ("SET ...", "SELECT @@...", "SHOW ...").
bool is_driver_statement(const std::string& sql);

}  // namespace vl::test
