#include "fault_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "ui/form1_logic.h"

namespace vl::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kWatchLimit = 10s;  // far beyond a lock wait's start on an idle machine

std::string quoted(const std::string& text) {  // for sh -c
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

std::string test_db(const std::string& command) {
  return quoted(std::string(VL_SOURCE_DIR) + "/scripts/test-db") + " " + command + " " +
         quoted(db_settings().dir);
}

void run_script(const std::string& command) {
  const std::string line =
      test_db(command) + (command == "restart" ? " " + db_settings().host : "");
  if (std::system((line + " >/dev/null").c_str()) != 0) {
    throw std::runtime_error("failed: " + line);
  }
}

bool server_answers() {
  // The first try may meet a fixture connection that died with the last kill.
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      fixture_value("SELECT 1");
      return true;
    } catch (const std::exception&) {
      forget_fixture_connection();
    }
  }
  return false;
}

}  // namespace

void kill_server() { run_script("kill"); }
void stop_server() { run_script("stop"); }
void restart_server() {
  run_script("restart");
  forget_fixture_connection();
}

Texts root_sql(const std::string& sql) {
  FILE* pipe = popen((test_db("sql") + " " + quoted(sql) + " 2>/dev/null").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run the client");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  pclose(pipe);
  Texts lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (!lines.empty()) lines.erase(lines.begin());  // the column names
  return lines;
}

KillWhenWaiting::KillWhenWaiting(const std::string& locked_table, std::string statement_head)
    : head_(std::move(statement_head)) {
  fixture_sql("LOCK TABLES " + locked_table + " WRITE");
  watcher_ = std::thread([this] {
    const std::string query =
        "SELECT info FROM information_schema.processlist WHERE user='" + db_settings().user +
        "' AND state LIKE 'Waiting for table%lock' AND info LIKE '" + head_ + "%'";
    const auto limit = std::chrono::steady_clock::now() + kWatchLimit;
    while (std::chrono::steady_clock::now() < limit) {
      const Texts waiting = root_sql(query);
      if (!waiting.empty()) {
        seen_ = waiting.front();
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    try {
      kill_server();
    } catch (const std::exception& failure) {
      ADD_FAILURE() << failure.what();
    }
  });
}

KillWhenWaiting::~KillWhenWaiting() {
  if (watcher_.joinable()) watcher_.join();
}

std::string KillWhenWaiting::join() {
  if (watcher_.joinable()) watcher_.join();
  return seen_;
}

namespace {

// The connections of root's client: the lock watcher's, not the program's.
std::set<int> root_connections(const std::vector<LogEntry>& entries) {
  std::set<int> root;
  for (const auto& entry : entries) {
    if (entry.command == "Connect" && entry.argument.rfind("root@", 0) == 0) {
      root.insert(entry.connection);
    }
  }
  return root;
}

}  // namespace

Texts program_statements(const GeneralLog& log) {
  const std::set<int> root = root_connections(log.entries());
  Texts texts;
  for (const auto& statement : log.statements()) {
    if (!root.count(statement.connection)) texts.push_back(statement.argument);
  }
  return texts;
}

std::string last_program_request(const GeneralLog& log) {
  const std::vector<LogEntry> entries = log.entries();
  const std::set<int> root = root_connections(entries);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const bool request =
        it->command == "Query" || it->command == "Prepare" || it->command == "Execute";
    const bool drivers_own = it->argument.rfind("SET ", 0) == 0 ||
                             it->argument.rfind("SELECT @@", 0) == 0 ||
                             it->argument.rfind("SHOW ", 0) == 0;
    if (request && !drivers_own && !root.count(it->connection)) return it->argument;
  }
  return "";
}

std::string statement_failed(const std::string& driver_text, const std::string& sql) {
  return "The database rejected a statement, and the command was stopped.\r\n\r\n" + driver_text +
         "\r\n\r\nStatement: " + sql;
}

std::string server_text(const std::string& text) {
  static const std::string version = fixture_value("SELECT VERSION()");
  return "[ma-3.1.15][" + version + "]" + text;
}

void FaultTest::SetUp() {
  if (!server_answers()) restart_server();
  reset_world();
  server_text("");  // learns the version while the server is up
  const std::string ini = db_settings().dir + "/db.ini";
  const DbSettings& s = db_settings();
  std::ofstream(ini) << "host=" << s.host << "\nuser=" << s.user << "\npassword=" << s.password
                     << "\ndatabase=" << s.name << "\n";
  ASSERT_TRUE(form1::Form_Load(*state, ui, ini));
}

void FaultTest::TearDown() {
  // A test that failed half-way may have left the server down.
  if (!server_answers()) restart_server();
}

void FaultTest::run(const ui::Command& command) {
  ui::run_command(*state, ui, command, [this](int code) { exit_codes.push_back(code); });
}

void FaultTest::expect_window_usable(const std::string& lx) {
  for (auto button : {Form1Control::Command1, Form1Control::Command2, Form1Control::Command3,
                      Form1Control::Command4}) {
    EXPECT_TRUE(form().button(button).enabled) << static_cast<int>(button);
  }
  EXPECT_EQ(form().button(Form1Control::Command1).caption,
            "Delete ALL Custom Loot Drops For SELECTED Levels");
  EXPECT_EQ(form().button(Form1Control::Command4).caption, "Repair NPC's Without Lootdrops");
  EXPECT_EQ(form().lx(), lx);
  EXPECT_EQ(form().progress().x2, 11210);
  EXPECT_TRUE(exit_codes.empty());
}

}  // namespace vl::test
