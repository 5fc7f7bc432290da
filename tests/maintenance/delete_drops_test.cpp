#include <algorithm>

#include "maintenance/delete_drops.h"
#include "maintenance_fixture.h"

namespace vl::test {
namespace {

using maintenance::Command1_Click;
using maintenance::kDeleteDropsCaption;

class DeleteDropsTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    fixture_sql(
        "INSERT INTO lootdrop (id,name) VALUES (10,'lvl_01-10_CUSTOM_armour'),"
        "(11,'lvl_01-10_CUSTOM_Potions'),(12,'lvlX01-10anything'),(13,'lvl_11-20_CUSTOM_armour'),"
        "(14,'fixed_by_KORVATH'),(15,'lvl_61-99_CUSTOM_weapon'),(16,'lvl_65-99_CUSTOM_weapon')");
    fixture_sql(
        "INSERT INTO lootdrop_entries VALUES (10,1010,1,1,10,0,127,1),(10,1011,1,1,10,0,127,1),"
        "(11,1011,1,1,10,0,127,1),(12,1012,1,1,10,0,127,1),(13,1013,1,1,10,0,127,1),"
        "(14,1014,1,1,1,0,127,1),(15,1015,1,1,10,0,127,1),(16,1016,1,1,10,0,127,1)");
    fixture_sql("INSERT INTO loottable VALUES (1,'one',0,0,0),(2,'two',0,0,0)");
    fixture_sql(
        "INSERT INTO loottable_entries VALUES (1,10,1,50,1,0),(1,12,1,50,1,0),(1,13,1,50,1,0),"
        "(2,11,1,50,1,0),(2,14,1,50,1,0),(2,15,1,50,1,0),(2,16,1,50,1,0)");
    fixture_sql(
        "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,1),(2,'b',5,2)");
    state->form1.on_changed = [this](Form1Control control) {
      if (control == Form1Control::Command1) {
        captions.push_back(state->form1.button(Form1Control::Command1).caption);
      }
    };
  }

  static std::vector<std::string> drop_ids() {
    return table_rows("SELECT id FROM lootdrop ORDER BY id");
  }
  static std::vector<std::string> entry_drop_ids() {
    return table_rows("SELECT DISTINCT lootdrop_id FROM lootdrop_entries ORDER BY 1");
  }
  static std::vector<std::string> links() {
    return table_rows(
        "SELECT loottable_id,lootdrop_id FROM loottable_entries ORDER BY loottable_id,lootdrop_id");
  }

  std::vector<std::string> captions;
};

TEST_F(DeleteDropsTest, DeletesTheDropsOfTheRangeThenTheirEntries) {
  GeneralLog log;

  Command1_Click(*state, ui);

  const auto statements = log.statement_texts();
  ASSERT_EQ(statements.size(), 2u + 2 * 3);
  EXPECT_EQ(statements[0], "SELECT id from lootdrop WHERE lootdrop.name like 'lvl_01-10%'");
  EXPECT_EQ(statements[1], "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_01-10%'");
  // The query asks for no order: each id's pair of deletes, whatever the order.
  std::vector<std::string> ids;
  for (std::size_t k = 2; k + 1 < statements.size(); k += 2) {
    const std::string prefix = "DELETE FROM lootdrop_entries WHERE lootdrop_id=";
    ASSERT_EQ(statements[k].rfind(prefix, 0), 0u) << statements[k];
    const std::string id = statements[k].substr(prefix.size());
    EXPECT_EQ(statements[k + 1], "DELETE FROM loottable_entries WHERE lootdrop_id=" + id);
    ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  // "_" in the pattern takes any character: the foreign "lvlX01-10anything" goes too.
  EXPECT_EQ(ids, (std::vector<std::string>{"10", "11", "12"}));

  // A connection of its own, then the runner's, which the deletes use and which is closed.
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 2u);
  for (const auto& statement : log.statements()) EXPECT_EQ(statement.connection, connections[1]);
  EXPECT_FALSE(state->db_connection->is_open());

  EXPECT_EQ(drop_ids(), (std::vector<std::string>{"13", "14", "15", "16"}));
  EXPECT_EQ(entry_drop_ids(), (std::vector<std::string>{"13", "14", "15", "16"}));
  EXPECT_EQ(links(), (std::vector<std::string>{"1|13", "2|14", "2|15", "2|16"}));
  // Loottables and the NPCs pointing at them stay.
  EXPECT_EQ(table_rows("SELECT id,name FROM loottable ORDER BY id"),
            (std::vector<std::string>{"1|one", "2|two"}));
  EXPECT_EQ(table_rows("SELECT id,loottable_id FROM npc_types ORDER BY id"),
            (std::vector<std::string>{"1|1", "2|2"}));

  EXPECT_EQ(captions, (std::vector<std::string>{"WORKING...", kDeleteDropsCaption}));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->current_sql, statements.back());
}

TEST_F(DeleteDropsTest, OverlappingRangesAreDeletedSeparately) {
  state->level_low = "61";
  state->level_high = "99";
  Command1_Click(*state, ui);
  EXPECT_EQ(drop_ids(), (std::vector<std::string>{"10", "11", "12", "13", "14", "16"}));
  EXPECT_EQ(links(), (std::vector<std::string>{"1|10", "1|12", "1|13", "2|11", "2|14", "2|16"}));

  state->level_low = "65";
  Command1_Click(*state, ui);
  EXPECT_EQ(drop_ids(), (std::vector<std::string>{"10", "11", "12", "13", "14"}));
  EXPECT_EQ(entry_drop_ids(), (std::vector<std::string>{"10", "11", "12", "13", "14"}));
  EXPECT_EQ(ui.beeps, 2);
}

TEST_F(DeleteDropsTest, NoMatchStillIssuesTheDeleteAndEmptyRangeDoesNothing) {
  state->level_low = "21";
  state->level_high = "30";
  {
    GeneralLog log;
    Command1_Click(*state, ui);
    EXPECT_EQ(
        log.statement_texts(),
        (std::vector<std::string>{"SELECT id from lootdrop WHERE lootdrop.name like 'lvl_21-30%'",
                                  "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_21-30%'"}));
    EXPECT_EQ(captions, (std::vector<std::string>{"WORKING...", kDeleteDropsCaption}));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(drop_ids().size(), 7u);
  }

  captions.clear();
  state->level_high = "";
  GeneralLog log;
  Command1_Click(*state, ui);
  EXPECT_TRUE(log.entries().empty());
  EXPECT_TRUE(captions.empty());
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DeleteDropsTest, FailedQueryDeletesNothing) {
  fixture_sql("DROP TABLE lootdrop");
  GeneralLog log;

  Command1_Click(*state, ui);

  // The query was rejected; nothing reached the server after it.
  EXPECT_TRUE(log.statement_texts().empty());
  EXPECT_EQ(state->current_sql, "SELECT id from lootdrop WHERE lootdrop.name like 'lvl_01-10%'");
  EXPECT_EQ(state->record_count, -1);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"The custom loot drops of levels 01-10 could not be read "
                                      "from the database, so nothing was deleted."}));
  EXPECT_EQ(entry_drop_ids().size(), 7u);
  EXPECT_EQ(links().size(), 7u);
  EXPECT_EQ(captions, (std::vector<std::string>{"WORKING...", kDeleteDropsCaption}));
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_FALSE(state->db_connection->is_open());
}

TEST_F(DeleteDropsTest, RejectedDeleteIsReportedAndStops) {
  fixture_sql("DROP TABLE loottable_entries");
  GeneralLog log;

  Command1_Click(*state, ui);

  const auto statements = log.statement_texts();
  ASSERT_EQ(statements.size(), 4u);
  EXPECT_EQ(statements[3].rfind("DELETE FROM loottable_entries WHERE lootdrop_id=", 0), 0u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("loottable_entries' doesn't exist"), std::string::npos)
      << ui.messages[0];
  EXPECT_NE(ui.messages[0].find(statements[3]), std::string::npos);
  // No transaction: the drops deleted before the failure stay deleted.
  EXPECT_EQ(drop_ids(), (std::vector<std::string>{"13", "14", "15", "16"}));
  EXPECT_EQ(entry_drop_ids().size(), 6u);
  EXPECT_EQ(captions, (std::vector<std::string>{"WORKING...", kDeleteDropsCaption}));
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_FALSE(state->db_connection->is_open());
}

TEST_F(DeleteDropsTest, MoreThan32000DropsAreAllDeleted) {
  fixture_sql(
      "INSERT INTO lootdrop (id,name) SELECT seq,'lvl_41-50_CUSTOM_armour' FROM seq_100_to_32200");
  fixture_sql(
      "INSERT INTO lootdrop_entries VALUES (100,1,1,1,10,0,127,1),(32100,2,1,1,10,0,127,1),"
      "(32200,3,1,1,10,0,127,1)");
  fixture_sql("INSERT INTO loottable_entries VALUES (1,32199,1,50,1,0),(1,32200,1,50,1,0)");
  state->level_low = "41";
  state->level_high = "50";
  GeneralLog log;

  Command1_Click(*state, ui);

  EXPECT_EQ(log.statement_texts().size(), 2u + 2 * 32101);
  EXPECT_EQ(fixture_value("SELECT count(*) FROM lootdrop"), "7");
  EXPECT_EQ(entry_drop_ids().size(), 7u);
  EXPECT_EQ(links().size(), 7u);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace vl::test
