#include "support/test_db.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
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
};

Fixture& fixture_slot() {
  static Fixture f;
  return f;
}

Fixture& fixture() {  // connects exactly as the program does
  Fixture& f = fixture_slot();
  if (!f.connection || !f.connection->is_open()) {
    auto settings = std::make_unique<ProgramState>();
    configure(*settings);
    f.connection = std::make_unique<db::Connection>(db::connection_string(*settings));
    f.connection->execute("SET SESSION group_concat_max_len=1000000");
    db::Recordset rs;
    rs.open("SELECT CONNECTION_ID()", *f.connection);
    f.id = std::stoll(rs.field(std::size_t{0}).text());
  }
  return f;
}

std::string log_path() { return db_settings().dir + "/general.log"; }

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
  if (std::system((line + " >/dev/null").c_str()) != 0) throw std::runtime_error("failed: " + line);
}

// SQL as root over the server's socket, outside ODBC: the rows as tab-separated lines.
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

std::string write_db_ini(const std::string& path) {
  const DbSettings& s = db_settings();
  std::ofstream(path, std::ios::binary)
      << "host=" << s.host << "\nuser=" << s.user << "\npassword=" << s.password
      << "\ndatabase=" << s.name << "\n";
  return path;
}

void reset_world() {
  std::ifstream in(std::string(VL_SOURCE_DIR) + "/world/schema.sql");
  if (!in) throw std::runtime_error("world/schema.sql not found");
  std::string line, statement;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    statement += line + "\n";
    if (!line.empty() && line.back() == ';') {
      fixture_sql(statement.substr(0, statement.size() - 2));
      statement.clear();
    }
  }
}

void fixture_sql(const std::string& sql) { fixture().connection->execute(sql); }

Rows fixture_rows(const std::string& sql) {
  db::Recordset rs;
  rs.open(sql, *fixture().connection);
  Rows rows;
  for (; !rs.eof(); rs.move_next()) {
    Texts row;
    for (std::size_t c = 0; c < rs.column_count(); ++c)
      row.push_back(rs.field(c).is_null() ? "NULL" : rs.field(c).text());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string fixture_value(const std::string& sql) {
  auto rows = fixture_rows(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value: " + sql);
  return rows[0][0];
}

GeneralLog::GeneralLog() {
  fixture_id_ = fixture().id;  // connected before the mark, so that its Connect is not counted
  start_ = log_size(log_path());
}

std::vector<LogEntry> GeneralLog::entries() const {
  std::set<long long> left_out = {fixture_id_, fixture_slot().id};
  std::vector<LogEntry> result;
  for (auto& e : read_log(log_path(), start_)) {
    if (e.command == "Connect" && e.argument.rfind("root@", 0) == 0) left_out.insert(e.connection);
    if (!left_out.count(e.connection)) result.push_back(std::move(e));
  }
  return result;
}

std::vector<LogEntry> GeneralLog::statements() const {
  std::vector<LogEntry> result;
  for (auto& e : entries())
    if ((e.command == "Query" || e.command == "Execute") && !is_driver_statement(e.argument))
      result.push_back(std::move(e));
  return result;
}

Texts GeneralLog::statement_texts() const {
  Texts texts;
  for (auto& e : statements()) texts.push_back(std::move(e.argument));
  return texts;
}

std::vector<long long> GeneralLog::connections() const {
  std::vector<long long> ids;
  for (const auto& e : entries())
    if (e.command == "Connect" && (ids.empty() || ids.back() != e.connection))  // a refused
      ids.push_back(e.connection);  // login has two entries
  return ids;
}

std::string GeneralLog::last_request() const {
  std::string last;
  for (const auto& e : entries())
    if ((e.command == "Query" || e.command == "Prepare" || e.command == "Execute") &&
        !is_driver_statement(e.argument))
      last = e.argument;
  return last;
}

void kill_server() { run_script("kill"); }
void stop_server() { run_script("stop"); }
void restart_server() {
  run_script("restart");
  fixture_slot().connection.reset();
}

bool server_answers() {
  for (int attempt = 0; attempt < 2; ++attempt) {  // the first may meet a connection killed before
    try {
      fixture_value("SELECT 1");
      return true;
    } catch (const std::exception&) {
      fixture_slot().connection.reset();
    }
  }
  return false;
}

KillWhenWaiting::KillWhenWaiting(const std::string& table, std::string head)
    : head_(std::move(head)) {
  fixture_sql("LOCK TABLES " + table + " WRITE");
  watcher_ = std::thread([this] {
    const std::string query =
        "SELECT info FROM information_schema.processlist WHERE user='" + db_settings().user +
        "' AND state LIKE 'Waiting for table%lock' AND info LIKE '" + head_ + "%'";
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen_.empty() && std::chrono::steady_clock::now() < limit) {
      const Texts waiting = root_sql(query);
      if (!waiting.empty()) seen_ = waiting.front();
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
