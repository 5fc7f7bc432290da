#include "support/test_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "db/database.h"

namespace vl::test {
namespace {

struct Fixture {
  std::unique_ptr<db::Connection> connection;
  long long id = 0;
} fixture_slot;

Fixture& fixture() {  // connects exactly as the program does
  if (!fixture_slot.connection || !fixture_slot.connection->is_open()) {
    ProgramState settings;
    configure(settings);
    fixture_slot.connection = std::make_unique<db::Connection>(db::connection_string(settings));
    fixture_slot.connection->execute("SET SESSION group_concat_max_len=1000000");
    fixture_slot.id = std::stoll(fixture_value("SELECT CONNECTION_ID()"));
  }
  return fixture_slot;
}

std::string log_path() { return db_settings().dir + "/general.log"; }

std::string quoted(const std::string& text) {  // for sh -c
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

std::string test_db(const std::string& command) {
  return quoted(VL_SOURCE_DIR "/scripts/test-db") + " " + command + " " + quoted(db_settings().dir);
}

void run_script(const std::string& command, const std::string& address = "") {
  const std::string line = test_db(command) + " " + address;
  if (std::system((line + " >/dev/null").c_str()) != 0) throw std::runtime_error("failed: " + line);
}

bool is_request(const LogEntry& e, bool prepared) {
  return (e.command == "Query" || e.command == "Execute" || (prepared && e.command == "Prepare")) &&
         !is_driver_statement(e.argument);
}

}  // namespace

const DbSettings& db_settings() {
  static const DbSettings settings{VL_TEST_DB_HOST, VL_TEST_DB_USER, VL_TEST_DB_PASSWORD,
                                   VL_TEST_DB_NAME, VL_TEST_DB_DIR};
  return settings;
}

void configure(ProgramState& state) {
  const auto& s = db_settings();
  state.db_host = s.host;
  state.db_user = s.user;
  state.db_password = s.password;
  state.db_name = s.name;
}

std::string write_db_ini(const std::string& path, const std::string& password,
                         const std::string& host) {
  const DbSettings& s = db_settings();
  std::ofstream(path, std::ios::binary)
      << "host=" << (host.empty() ? s.host : host) << "\nuser=" << s.user
      << "\npassword=" << (password.empty() ? s.password : password) << "\ndatabase=" << s.name
      << "\n";
  // As an operator keeps it: the command line warns about a password others can read.
  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  return path;
}

void root_sql(const std::string& sql) { run_script("sql", quoted(sql)); }

void set_global_sql_mode(const std::string& mode) {
  root_sql("SET GLOBAL sql_mode=" + (mode.empty() ? "DEFAULT" : "'" + mode + "'"));
}

std::string run_statements(std::istream& in) {
  std::string line, statement;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    statement += line + "\n";
    if (line.ends_with(';')) {
      fixture_sql(statement.substr(0, statement.size() - 2));
      statement.clear();
    }
  }
  return statement;
}

void reset_world() {
  std::ifstream in(VL_SOURCE_DIR "/world/schema.sql");
  EXPECT_EQ(run_statements(in), "");
}

void fixture_sql(const std::string& sql) { fixture().connection->execute(sql); }

Rows fixture_rows(const std::string& sql) {
  db::Recordset rs;
  rs.open(sql, *fixture().connection);
  Rows rows;
  for (; !rs.eof(); rs.move_next()) {
    rows.emplace_back();
    for (std::size_t c = 0; c < rs.column_count(); ++c)
      rows.back().push_back(rs.field(c).is_null() ? "NULL" : rs.field(c).text());
  }
  return rows;
}

std::string fixture_value(const std::string& sql) {
  auto rows = fixture_rows(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value: " + sql);
  return rows[0][0];
}

std::string journal_value(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string first;
  sqlite3_open(path.c_str(), &db);
  const auto keep_first = [](void* to, int, char** values, char**) {
    auto& value = *static_cast<std::string*>(to);
    if (value.empty() && values[0]) value = values[0];
    return 0;
  };
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), keep_first, &first, nullptr), SQLITE_OK) << sql;
  sqlite3_close(db);
  return first;
}

void make_first_journal(const std::string& path, const std::string& inserts) {
  journal_value(
      path,
      "CREATE TABLE runs (id INTEGER PRIMARY KEY, started TEXT NOT NULL, ended TEXT, host "
      "TEXT, database TEXT, command TEXT, settings TEXT, outcome TEXT, journal_incomplete "
      "INTEGER NOT NULL DEFAULT 0, undone INTEGER NOT NULL DEFAULT 0);"
      "CREATE TABLE rows (id INTEGER PRIMARY KEY, run INTEGER NOT NULL, kind TEXT, tbl "
      "TEXT, cols TEXT, vals TEXT, uncertain INTEGER NOT NULL);" +
          inserts);
}

std::string read_file(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

std::tuple<int, std::string, std::string> run_shell(const std::string& command) {
  static int runs = 0;
  const std::string out = testing::TempDir() + "vl_shell_" + std::to_string(++runs),
                    err = out + "e";
  const int status = std::system((command + " >" + out + " 2>" + err).c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out), read_file(err)};
}

std::string world_checksums() {
  std::string sums;
  for (const auto& row : fixture_rows(
           "CHECKSUM TABLE lootdrop, lootdrop_entries, loottable, loottable_entries, npc_types"))
    sums += row[1] + ";";
  return sums;
}

GeneralLog::GeneralLog() : start_(log_size(log_path())), fixture_id_(fixture().id) {}

std::vector<LogEntry> GeneralLog::entries() const {
  std::set<long long> left_out = {fixture_id_, fixture_slot.id};
  std::vector<LogEntry> result;
  for (auto& e : read_log(log_path(), start_)) {
    if (e.command == "Connect" && e.argument.starts_with("root@")) left_out.insert(e.connection);
    if (!left_out.count(e.connection)) result.push_back(std::move(e));
  }
  return result;
}

std::vector<LogEntry> GeneralLog::statements() const {
  std::vector<LogEntry> result;
  for (auto& e : entries())
    if (is_request(e, false)) result.push_back(std::move(e));
  return result;
}

Texts GeneralLog::statement_texts() const {
  Texts texts;
  for (auto& e : statements()) texts.push_back(std::move(e.argument));
  return texts;
}

std::vector<long long> GeneralLog::connections() const {
  std::vector<long long> ids;
  for (const auto& e : entries())  // a refused login has two entries
    if (e.command == "Connect" && (ids.empty() || ids.back() != e.connection))
      ids.push_back(e.connection);
  return ids;
}

std::string GeneralLog::last_request() const {
  std::string last;
  for (const auto& e : entries())
    if (is_request(e, true)) last = e.argument;
  return last;
}

void kill_server() { run_script("kill"); }
void stop_server() { run_script("stop"); }
void restart_server() {
  run_script("restart", db_settings().host);
  fixture_slot.connection.reset();
}

bool server_answers() {
  for (int attempt = 0; attempt < 2; ++attempt) {  // the first may meet a connection killed before
    try {
      fixture_value("SELECT 1");
      return true;
    } catch (const std::exception&) {
      fixture_slot.connection.reset();
    }
  }
  return false;
}

KillWhenWaiting::KillWhenWaiting(const std::string& table, const std::string& head) {
  fixture_sql("LOCK TABLES " + table + " WRITE");
  // Root's client over the socket, outside ODBC, while the program's statement waits.
  const std::string query = test_db("sql") + " " +
                            quoted(
                                "SELECT info FROM information_schema.processlist WHERE state "
                                "LIKE 'Waiting for table%lock' AND info LIKE '" +
                                head + "%'") +
                            " 2>/dev/null";
  watcher_ = std::thread([this, query] {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen_.empty() && std::chrono::steady_clock::now() < limit) {
      FILE* pipe = popen(query.c_str(), "r");
      char line[4096];
      for (int n = 0; pipe && std::fgets(line, sizeof line, pipe); ++n)
        if (n == 1) seen_ = std::string(line, std::strcspn(line, "\n"));  // after the heading
      if (pipe) pclose(pipe);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill_server();
  });
}

std::string KillWhenWaiting::join() {
  if (watcher_.joinable()) watcher_.join();
  return seen_;
}

}  // namespace vl::test
