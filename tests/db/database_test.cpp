// The database layer on the test server: the connection string, the runner's
// fresh connection per query, rejected statements, and the fatal connection failure.

#include "db/database.h"

#include <algorithm>

#include "app/window/window_text.h"
#include "db/loot_rows.h"
#include "db/sql_literal.h"
#include "journal/row.h"

#include "support/scenario.h"

namespace vl::test {
namespace {

std::unique_ptr<ProgramState> configured() {
  reset_world();
  auto state = std::make_unique<ProgramState>();
  configure(*state);
  return state;
}

TEST(ConnectionString, IsPlainConcatenationWithoutTrailingSemicolon) {
  ProgramState state;
  state.db_host = "10.1.2.3";
  state.db_password = "p;w";
  state.db_name = "world";
  EXPECT_EQ(db::connection_string(state),
            "DRIVER={MySQL ODBC 3.51 Driver};SERVER=10.1.2.3;DATABASE=world;UID=;PWD=p;w;"
            "OPTION=18475");
  state.db_user = "gm";
  EXPECT_EQ(db::connection_string(state).substr(63), "UID=gm;PWD=p;w;OPTION=18475");
  // The command line's: only values holding ; { } change.
  state.brace_settings = true;
  state.db_user = "g{m}";
  EXPECT_EQ(db::connection_string(state).substr(63), "UID={g{m}}};PWD={p;w};OPTION=18475");
}

// Each row as the window sends it and as the journal keeps it (columns, values).
TEST(LootRows, RenderedAsTheWindowSendsThemAndJournaledWithTheirColumns) {
  using db::WindowStyle;
  // clang-format off
  const struct { db::LootRow row; WindowStyle style; const char *sql, *columns, *values; } rows[] = {
      {db::LootdropRow{7, "lvl_1-10_CUSTOM_O'x"}, WindowStyle::run,
       "INSERT INTO lootdrop (id,name) values (7,\"lvl_1-10_CUSTOM_O'x\")", "id,name", "7,'lvl_1-10_CUSTOM_O\\'x'"},
      {db::LootdropEntryRow{.lootdrop_id = 7, .item_id = 1001, .chance = "12.5"}, WindowStyle::run,
       "INSERT INTO lootdrop_entries values (7,1001,1,1,12.5,0,127,1)",
       "lootdrop_id,item_id,item_charges,equip_item,chance,minlevel,maxlevel,multiplier", "7,1001,1,1,12.5,0,127,1"},
      {db::LoottableEntryRow{.loottable_id = 300, .lootdrop_id = 7, .probability = "100"}, WindowStyle::run,
       "INSERT INTO loottable_entries values (300,7,1,100,1,0)",
       "loottable_id,lootdrop_id,multiplier,probability,droplimit,mindrop", "300,7,1,100,1,0"},
      {db::LootdropRow{8, "fixed"}, WindowStyle::repair, "INSERT INTO LOOTDROP values (8,'fixed')", "id,name",
       "8,'fixed'"},
      {db::LoottableRow{.id = 9, .name = "fixed", .mincash = 100, .maxcash = 1000}, WindowStyle::repair,
       "INSERT INTO LOOTTABLE values (9,'fixed',100,1000,0)", "id,name,mincash,maxcash,avgcoin", "9,'fixed',100,1000,0"},
      {db::NpcLoottableRow{-4, 9}, WindowStyle::repair, "UPDATE npc_types SET loottable_id=9 WHERE npc_types.id=-4",
       "id,loottable_id", "-4,9"},
  };
  // clang-format on
  for (const auto& r : rows) {
    EXPECT_EQ(db::window_statement(r.row, r.style), r.sql);
    const journal::Row kept = journal::journal_row(r.row);
    std::string columns, values;
    for (const auto& c : kept.columns) columns += (columns.empty() ? "" : ",") + c;
    for (const auto& v : kept.values) values += (values.empty() ? "" : ",") + v.shown();
    EXPECT_EQ(columns, r.columns) << r.sql;
    EXPECT_EQ(values, r.values) << r.sql;
  }
}

// Named-column INSERTs hold as many rows as fit, each statement with its own rows.
TEST(LootRows, BatchedIntoNamedColumnInsertsOfAtMostTheGivenSize) {
  std::vector<std::pair<std::string, std::size_t>> sent;
  const db::InsertBatcher::Statement statement = [&](const std::string& sql, auto& rows) {
    sent.emplace_back(sql, rows.size());
  };
  db::InsertBatcher batcher(db::kLootdropTable, 59, db::sql_text, statement);
  for (const std::int64_t id : {1, 2, 3}) batcher.add(db::LootdropRow{id, "a'b"});
  batcher.flush();
  const std::vector<std::pair<std::string, std::size_t>> expected{
      {"INSERT INTO lootdrop (id,name) VALUES (1,'a\\'b'),(2,'a\\'b')", 2},
      {"INSERT INTO lootdrop (id,name) VALUES (3,'a\\'b')", 1}};
  EXPECT_EQ(sent, expected);
}

TEST(Database, RunQueryOpensANewConnectionAndStandsOnTheFirstRow) {
  auto state = configured();
  fixture_sql("INSERT INTO lootdrop VALUES (7,'seven'),(3,'three'),(5,'')");
  GeneralLog log;
  db::run_query(*state, "SELECT id, name FROM lootdrop WHERE id > 100");
  EXPECT_EQ(
      std::tuple(state->record_count, state->db_recordset->is_open(), state->db_recordset->eof()),
      std::tuple(0, true, true));
  // Statements spanning lines keep their line breaks.
  const std::string sql = "SELECT id, IF(id=5,NULL,name) AS name FROM lootdrop\r\nORDER BY id";
  db::run_query(*state, sql);
  auto& rs = *state->db_recordset;
  EXPECT_EQ(std::tuple(state->record_count, rs.record_count(), rs.field("id").text(),
                       rs.field("NAME").text(), rs.field(std::size_t{0}).text()),
            std::tuple(3, 3, "3", "three", "3"));
  rs.move_next();
  EXPECT_EQ(std::pair(rs.field("id").text(), rs.field("name").is_null()),
            std::pair(std::string("5"), true));
  rs.move_next();
  rs.move_next();
  EXPECT_TRUE(rs.eof());
  EXPECT_THROW(rs.field("id"), db::UsageError);
  rs.move_first();
  EXPECT_EQ(rs.field("id").text(), "3");
  // Each query on a connection of its own, the earlier one closed first.
  const auto connects = log.connections();
  ASSERT_EQ(connects.size(), 2u);
  EXPECT_EQ(log.statement_texts(), (Texts{"SELECT id, name FROM lootdrop WHERE id > 100", sql}));
  const auto entries = log.entries();
  const auto at = [&](const char* command, long long connection) {
    return std::ranges::find_if(entries,
                                [&](const LogEntry& e) {
                                  return e.command == command && e.connection == connection;
                                }) -
           entries.begin();
  };
  EXPECT_LT(at("Quit", connects[0]), at("Connect", connects[1]));
}

TEST(Database, RejectedStatementsFailQuietlyInTheRunnerAndLoudlyElsewhere) {
  auto state = configured();
  db::run_query(*state, "SELECT nosuchcolumn FROM items");
  EXPECT_EQ(std::pair(state->record_count, state->db_recordset->is_open()), std::pair(-1, false));
  db::open_database(*state);
  state->current_sql = "SELECT MAX(id) FROM lootdrop";  // of an empty table: NULL
  db::open_recordset(*state);
  EXPECT_EQ(std::tuple(state->db_recordset->record_count(),
                       state->db_recordset->field(std::size_t{0}).is_null(), state->record_count),
            std::tuple(1, true, -1));  // only the runner sets the count
  for (const auto& [sql, text, code] :
       {std::tuple("SELECT nosuchcolumn FROM items", "Unknown column 'nosuchcolumn'", 1054),
        std::tuple("INSERT INTO nosuchtable VALUES (1)", "nosuchtable' doesn't exist", 1146)}) {
    state->current_sql = sql;
    try {
      code == 1054 ? db::open_recordset(*state) : db::execute(*state);
      ADD_FAILURE() << "no error: " << sql;
    } catch (const db::Error& e) {
      EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
      EXPECT_EQ(e.native_error(), code);
      EXPECT_EQ(window_text(db::statement_failed_message(e, sql)), rejected(e.what(), sql));
    }
  }
  // The connection is still usable after a rejected statement; capitalised table
  // names and double-quoted strings reach the tables.
  for (const char* sql :
       {"INSERT INTO LOOTDROP values (12,'fixed_by_KORVATH')",
        "INSERT INTO lootdrop (id,name) values (13,\"lvl_01-10_CUSTOM_armour\")"}) {
    state->current_sql = sql;
    db::execute(*state);
  }
  EXPECT_EQ(fixture_rows("SELECT id, name FROM lootdrop ORDER BY id"),
            (Rows{{"12", "fixed_by_KORVATH"}, {"13", "lvl_01-10_CUSTOM_armour"}}));
  // A closed connection is a slip of the program, not a rejected statement.
  state->db_connection->close();
  EXPECT_THROW(db::execute(*state), db::UsageError);
  EXPECT_THROW(db::open_recordset(*state), db::UsageError);
}

TEST(Database, ReopeningReleasesThePreviousConnectionAndAFailedOneIsFatal) {
  auto state = configured();
  const std::string others =
      "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER='vandril' AND ID <> "
      "CONNECTION_ID()";
  db::open_database(*state);
  db::open_database(*state);
  EXPECT_EQ(fixture_value(others), "1");
  state->db_connection->close();
  EXPECT_EQ(fixture_value(others), "0");
  EXPECT_EQ(window_text(db::kConnectionFailedMessage), kConnectionFailed);
  state->db_password = "wrong";
  try {
    db::open_database(*state);
    ADD_FAILURE() << "connected with a wrong password";
  } catch (const db::ConnectionFailed& e) {
    EXPECT_EQ(window_text(e.what()), kConnectionFailed);
    EXPECT_NE(e.driver_text().find("Access denied"), std::string::npos) << e.driver_text();
  }
  configure(*state);
  state->db_name = "no_such_world";
  EXPECT_THROW(db::run_query(*state, "SELECT 1"), db::ConnectionFailed);
}

}  // namespace
}  // namespace vl::test
