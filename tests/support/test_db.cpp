#include "support/test_db.h"

#include <cctype>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "db/database.h"
#include "db/odbc.h"

namespace vl::test {
namespace {

struct Fixture {
  std::unique_ptr<db::Connection> connection;
  int id = 0;
};

Fixture& fixture_slot() {
  static Fixture f;
  return f;
}

Fixture& fixture() {
  Fixture& f = fixture_slot();
  if (!f.connection || !f.connection->is_open()) {
    // Connects exactly as the program does.
    auto settings = std::make_unique<ProgramState>();
    configure(*settings);
    f.connection = std::make_unique<db::Connection>(db::connection_string(*settings));
    db::Recordset rs;
    rs.open("SELECT CONNECTION_ID()", *f.connection);
    f.id = std::stoi(rs.field(std::size_t{0}).text());
  }
  return f;
}

std::string log_path() { return db_settings().dir + "/general.log"; }

bool starts_with_ci(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// Statements the ODBC driver sends on its own when it connects.
bool is_driver_statement(const std::string& sql) {
  return starts_with_ci(sql, "SET ") || starts_with_ci(sql, "SELECT @@") ||
         starts_with_ci(sql, "SHOW ");
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

void reset_world() {
  std::ifstream in(std::string(VL_SOURCE_DIR) + "/world/schema.sql");
  if (!in) throw std::runtime_error("world/schema.sql not found");
  std::string line, statement;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    statement += line + "\n";
    if (!line.empty() && line.back() == ';') {
      statement.pop_back();  // "\n"
      statement.pop_back();  // ";"
      fixture_sql(statement);
      statement.clear();
    }
  }
}

void forget_fixture_connection() { fixture_slot().connection.reset(); }

void fixture_sql(const std::string& sql) { fixture().connection->execute(sql); }

std::vector<std::vector<std::string>> fixture_rows(const std::string& sql) {
  db::Recordset rs;
  rs.open(sql, *fixture().connection);
  std::vector<std::vector<std::string>> rows;
  for (; !rs.eof(); rs.move_next()) {
    std::vector<std::string> row;
    for (std::size_t c = 0; c < rs.column_count(); ++c) {
      const auto& v = rs.field(c);
      row.push_back(v.is_null() ? "NULL" : v.text());
    }
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
  fixture();  // connect the fixture before the mark, so its Connect is not counted
  std::ifstream in(log_path(), std::ios::binary | std::ios::ate);
  start_ = in ? static_cast<long long>(in.tellg()) : 0;
}

std::vector<LogEntry> GeneralLog::entries() const {
  std::ifstream in(log_path(), std::ios::binary);
  in.seekg(start_);
  // Only the head of a line goes through the regex: matching a statement of
  // thousands of characters recursively would overflow the stack.
  static const std::regex entry_head(
      R"(^(?:\d{6} [ \d]\d:\d\d:\d\d)?\t+ *(\d+) ([A-Za-z][A-Za-z ]*?)\t)");
  constexpr std::size_t kHeadLength = 80;
  const int fixture_id = fixture().id;
  std::vector<LogEntry> all;
  std::string line;
  while (std::getline(in, line)) {
    const std::string head = line.substr(0, kHeadLength);
    std::smatch m;
    if (std::regex_search(head, m, entry_head, std::regex_constants::match_continuous)) {
      all.push_back({std::stoi(m[1]), m[2], line.substr(m.length(0))});
    } else if (!all.empty()) {
      all.back().argument += "\n" + line;  // a statement spanning lines
    }
  }
  std::vector<LogEntry> result;
  for (auto& e : all) {
    if (e.connection != fixture_id) result.push_back(std::move(e));
  }
  return result;
}

std::vector<LogEntry> GeneralLog::statements() const {
  std::vector<LogEntry> result;
  for (auto& e : entries()) {
    if ((e.command == "Query" || e.command == "Execute") && !is_driver_statement(e.argument)) {
      result.push_back(std::move(e));
    }
  }
  return result;
}

std::vector<std::string> GeneralLog::statement_texts() const {
  std::vector<std::string> texts;
  for (auto& e : statements()) texts.push_back(std::move(e.argument));
  return texts;
}

std::vector<int> GeneralLog::connections() const {
  std::vector<int> ids;
  for (const auto& e : entries()) {
    if (e.command == "Connect") ids.push_back(e.connection);
  }
  return ids;
}

std::vector<int> GeneralLog::disconnections() const {
  std::vector<int> ids;
  for (const auto& e : entries()) {
    if (e.command == "Quit") ids.push_back(e.connection);
  }
  return ids;
}

}  // namespace vl::test
