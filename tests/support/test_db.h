#pragma once
// Access to the throwaway test server for the tests: its settings, a fixture
// connection of its own for setting up and checking rows, and the server's
// general query log, which shows what reached the server and in which order.

#include <string>
#include <vector>

#include "core/program_state.h"

namespace vl::test {

struct DbSettings {
  std::string host, user, password, name, dir;
};
const DbSettings& db_settings();

// Sets db_host, db_user, db_password and db_name of the state to the test server.
void configure(ProgramState& state);

// The schema afresh: all six tables dropped, created again and empty.
void reset_world();

// Statements over the fixture connection (one connection per test process).
// Its log entries are left out of GeneralLog. Throws db::Error.
void fixture_sql(const std::string& sql);
std::vector<std::vector<std::string>> fixture_rows(const std::string& sql);  // NULL as "NULL"
std::string fixture_value(const std::string& sql);  // first column of the first row
// After the server was restarted: the next fixture statement connects afresh.
void forget_fixture_connection();

struct LogEntry {
  int connection = 0;
  std::string command;   // "Connect", "Query", "Prepare", "Execute", "Close stmt", "Quit", ...
  std::string argument;  // the rest; statements spanning lines keep their "\n"
};

// The general query log from the moment of construction on.
class GeneralLog {
 public:
  GeneralLog();
  // Every entry since the mark, the fixture connection's left out.
  std::vector<LogEntry> entries() const;
  // Statements the program sent, in order: Query and Execute entries, without
  // the driver's own statements on connect (SET ..., SELECT @@...,
  // "SHOW ..." and the like).
  std::vector<LogEntry> statements() const;
  // Just the text of statements().
  std::vector<std::string> statement_texts() const;
  // Connection ids that connected since the mark, in order.
  std::vector<int> connections() const;
  // Connection ids that quit since the mark.
  std::vector<int> disconnections() const;

 private:
  long long start_ = 0;
};

}  // namespace vl::test
