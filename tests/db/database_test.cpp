#include "db/database.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_db.h"

namespace vl {
namespace {

using test::GeneralLog;

std::unique_ptr<ProgramState> configured_state() {
  auto state = std::make_unique<ProgramState>();
  test::configure(*state);
  return state;
}

// Connections of the program's account that are open on the server now, the
// fixture's own left out.
int open_program_connections() {
  return std::stoi(test::fixture_value(
      "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER='vandril' AND ID <> "
      "CONNECTION_ID()"));
}

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { test::reset_world(); }
};

TEST(ConnectionString, IsPlainConcatenationWithoutTrailingSemicolon) {
  auto state = std::make_unique<ProgramState>();
  state->db_host = "10.1.2.3";
  state->db_user = "gm";
  state->db_password = "p;w";
  state->db_name = "world";
  EXPECT_EQ(db::connection_string(*state),
            "DRIVER={MySQL ODBC 3.51 Driver};SERVER=10.1.2.3;DATABASE=world;UID=gm;PWD=p;w;"
            "OPTION=18475");
  state->db_user.clear();
  EXPECT_EQ(db::connection_string(*state),
            "DRIVER={MySQL ODBC 3.51 Driver};SERVER=10.1.2.3;DATABASE=world;UID=;PWD=p;w;"
            "OPTION=18475");
}

TEST_F(DatabaseTest, RunQueryOpensANewConnectionAndStandsOnTheFirstRow) {
  test::fixture_sql("INSERT INTO lootdrop VALUES (7,'seven'),(3,'three'),(5,'')");
  auto state = configured_state();
  GeneralLog log;

  db::run_query(*state, "SELECT id, name FROM lootdrop WHERE id > 100");
  EXPECT_EQ(state->record_count, 0);
  EXPECT_TRUE(state->db_recordset->is_open());
  EXPECT_TRUE(state->db_recordset->eof());

  state->current_sql = "SELECT id, IF(id=5,NULL,name) AS name FROM lootdrop ORDER BY id";
  db::run_query(*state, state->current_sql);
  ASSERT_EQ(state->record_count, 3);
  auto& rs = *state->db_recordset;
  EXPECT_EQ(rs.record_count(), 3);
  EXPECT_EQ(rs.field("id").text(), "3");
  EXPECT_EQ(rs.field("NAME").text(), "three");
  EXPECT_EQ(rs.field(std::size_t{0}).text(), "3");
  rs.move_next();
  EXPECT_EQ(rs.field("id").text(), "5");
  EXPECT_TRUE(rs.field("name").is_null());
  rs.move_next();
  rs.move_next();
  EXPECT_TRUE(rs.eof());
  EXPECT_THROW(rs.field("id"), db::UsageError);
  rs.move_first();
  EXPECT_EQ(rs.field("id").text(), "3");

  // Each query on a connection of its own, the earlier one closed first.
  auto connects = log.connections();
  ASSERT_EQ(connects.size(), 2u);
  EXPECT_EQ(log.statement_texts(),
            (std::vector<std::string>{
                "SELECT id, name FROM lootdrop WHERE id > 100",
                "SELECT id, IF(id=5,NULL,name) AS name FROM lootdrop ORDER BY id"}));
  auto entries = log.entries();
  auto first_quit = std::find_if(entries.begin(), entries.end(), [&](const test::LogEntry& e) {
    return e.command == "Quit" && e.connection == connects[0];
  });
  auto second_connect = std::find_if(entries.begin(), entries.end(), [&](const test::LogEntry& e) {
    return e.command == "Connect" && e.connection == connects[1];
  });
  EXPECT_LT(first_quit - entries.begin(), second_connect - entries.begin());
}

TEST_F(DatabaseTest, MaxOfAnEmptyTableIsNull) {
  auto state = configured_state();
  db::open_database(*state);
  state->current_sql = "SELECT MAX(id) FROM lootdrop";
  db::open_recordset(*state);
  ASSERT_EQ(state->db_recordset->record_count(), 1);
  EXPECT_TRUE(state->db_recordset->field(std::size_t{0}).is_null());
  EXPECT_EQ(state->record_count, 0);  // only the runner sets it
}

TEST_F(DatabaseTest, RejectedStatementsFailQuietlyInTheRunnerAndLoudlyElsewhere) {
  auto state = configured_state();
  db::run_query(*state, "SELECT nosuchcolumn FROM items");
  EXPECT_EQ(state->record_count, -1);
  EXPECT_FALSE(state->db_recordset->is_open());

  db::open_database(*state);
  state->current_sql = "SELECT nosuchcolumn FROM items";
  try {
    db::open_recordset(*state);
    FAIL() << "no error";
  } catch (const db::Error& e) {
    EXPECT_NE(std::string(e.what()).find("Unknown column 'nosuchcolumn'"), std::string::npos)
        << e.what();
    EXPECT_EQ(e.sqlstate(), "42S22");
    EXPECT_EQ(e.native_error(), 1054);
  }
  state->current_sql = "INSERT INTO nosuchtable VALUES (1)";
  try {
    db::execute(*state);
    FAIL() << "no error";
  } catch (const db::Error& e) {
    EXPECT_NE(std::string(e.what()).find("nosuchtable' doesn't exist"), std::string::npos)
        << e.what();
    EXPECT_EQ(e.native_error(), 1146);
    std::string message = db::statement_failed_message(e, state->current_sql);
    EXPECT_NE(message.find(e.what()), std::string::npos);
    EXPECT_NE(message.find("INSERT INTO nosuchtable VALUES (1)"), std::string::npos);
  }
  // The connection is still usable after a rejected statement.
  state->current_sql = "INSERT INTO lootdrop VALUES (1,'one')";
  db::execute(*state);
  EXPECT_EQ(test::fixture_value("SELECT name FROM lootdrop WHERE id=1"), "one");

  // A closed connection is a slip of the program, not a rejected statement.
  state->db_connection->close();
  EXPECT_THROW(db::execute(*state), db::UsageError);
  EXPECT_THROW(db::open_recordset(*state), db::UsageError);
}

TEST_F(DatabaseTest, WrongPasswordOrServerIsTheFatalConnectionMessage) {
  EXPECT_STREQ(db::kConnectionFailedMessage,
               "MYSQL Connection FAILED - Did you remember to:\r\n"
               "Edit db.ini for correct mysql user data?\r\n"
               "Use 127.0.0.1 IP for minilogin?\r\n"
               "Install myODBC drivers?");
  auto state = configured_state();
  state->db_password = "wrong";
  try {
    db::open_database(*state);
    FAIL() << "connected with a wrong password";
  } catch (const db::ConnectionFailed& e) {
    EXPECT_STREQ(e.what(), db::kConnectionFailedMessage);
    EXPECT_NE(e.driver_text().find("Access denied"), std::string::npos) << e.driver_text();
  }
  auto other = configured_state();
  other->db_name = "no_such_world";
  EXPECT_THROW(db::run_query(*other, "SELECT 1"), db::ConnectionFailed);
}

TEST_F(DatabaseTest, ReopeningReleasesThePreviousConnection) {
  auto state = configured_state();
  db::open_database(*state);
  db::open_database(*state);
  EXPECT_EQ(open_program_connections(), 1);
  state->db_connection->close();
  EXPECT_EQ(open_program_connections(), 0);
}

TEST_F(DatabaseTest, CapitalisedTableNamesAndDoubleQuotedStringsReachTheTables) {
  auto state = configured_state();
  db::open_database(*state);
  state->current_sql = "INSERT INTO LOOTDROP values (12,'fixed_by_KORVATH')";
  db::execute(*state);
  state->current_sql = "INSERT INTO lootdrop (id,name) values (13,\"lvl_01-10_CUSTOM_armour\")";
  db::execute(*state);
  EXPECT_EQ(test::fixture_rows("SELECT id, name FROM lootdrop ORDER BY id"),
            (std::vector<std::vector<std::string>>{{"12", "fixed_by_KORVATH"},
                                                   {"13", "lvl_01-10_CUSTOM_armour"}}));
}

TEST_F(DatabaseTest, StatementsSpanningLinesKeepTheirLineBreaks) {
  auto state = configured_state();
  GeneralLog log;
  db::run_query(*state,
                "SELECT COUNT(id) from items WHERE ( itemtype=10) AND name like 'a%' OR\r\nac>=1");
  EXPECT_EQ(state->record_count, 1);
  auto texts = log.statement_texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0],
            "SELECT COUNT(id) from items WHERE ( itemtype=10) AND name like 'a%' OR\r\nac>=1");
}

}  // namespace
}  // namespace vl
