#pragma once
// The throwaway test server: its settings, a fixture connection of its own for
// setting up and checking rows, the general query log (what reached the server,
// in which order), and stopping, killing and restarting it.

#include <istream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/window/program_state.h"
#include "support/general_log.h"

namespace vl::test {

using Texts = std::vector<std::string>;
using Rows = std::vector<Texts>;

struct DbSettings {
  std::string host, user, password, name, dir;
};
const DbSettings& db_settings();
void configure(ProgramState& state);  // db_host .. db_name of the test server
// A db.ini naming the test server (or another host, or a wrong password).
std::string write_db_ini(const std::string& path, const std::string& password = "",
                         const std::string& host = "");
// Runs SQL as root over the server's socket: accounts, global settings.
void root_sql(const std::string& sql);
// The server's global sql_mode for the connections made from now on, set as
// root; "" for its default.
void set_global_sql_mode(const std::string& mode);

void reset_world();  // the schema afresh: all six tables dropped, created again and empty
// Runs a script over the fixture connection, statement by statement: each ends
// at a line ending in ";", lines starting with "--" left out. "" when it ended whole.
std::string run_statements(std::istream& in);

// Statements over the fixture connection, whose log entries GeneralLog leaves out.
void fixture_sql(const std::string& sql);
Rows fixture_rows(const std::string& sql);  // NULL as "NULL"
std::string fixture_value(const std::string& sql);
// Runs SQL on an SQLite file (a journal): the first value it gives, "" for none.
std::string journal_value(const std::string& path, const std::string& sql);
// A journal as its first version made it (no first_row/last_row, no vals table),
// then `inserts` run on it.
void make_first_journal(const std::string& path, const std::string& inserts);

// A file's whole text ("" when it cannot be read).
std::string read_file(const std::string& path);
// Runs a shell command line: its exit status, standard output and error.
std::tuple<int, std::string, std::string> run_shell(const std::string& command);

// CHECKSUM TABLE of the four loot tables and npc_types, to compare a world with itself later.
std::string world_checksums();  // first column of the first row

// The general query log from the moment of construction on; the fixture's and
// root's connections left out.
class GeneralLog {
 public:
  GeneralLog();
  std::vector<LogEntry> entries() const;
  // Query and Execute entries, the driver's own statements left out.
  std::vector<LogEntry> statements() const;
  Texts statement_texts() const;
  std::vector<long long> connections() const;  // those made, refused logins too
  std::string last_request() const;            // the last Query, Prepare or Execute, run or refused

 private:
  std::uint64_t start_ = 0;
  long long fixture_id_ = 0;  // the fixture's connection at the mark (a restart makes another)
};

// The server as a crash ends it (SIGKILL), cleanly stopped, started again on its data.
void kill_server();
void stop_server();
void restart_server();
bool server_answers();  // reconnects the fixture when it can

// Locks `table` from the fixture connection, then kills the server once a
// statement of the program starting with `head` waits for the lock, so that the
// statement is lost in flight. Gives up after ten seconds and kills all the same.
class KillWhenWaiting {
 public:
  KillWhenWaiting(const std::string& table, const std::string& head);
  ~KillWhenWaiting() { join(); }
  std::string join();  // the waiting statement seen, or ""

 private:
  std::string seen_;
  std::thread watcher_;
};

}  // namespace vl::test
