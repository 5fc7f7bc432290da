// The maintenance commands against the test server: statistics, deleting
// custom drops and repairing NPCs without loot.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/numeric_text.h"
#include "core/program_state.h"
#include "db/database.h"
#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance/stats.h"
#include "support/recording_ui.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

using maintenance::Command1_Click;
using maintenance::Command4_Click;
using Texts = std::vector<std::string>;

// The first column of a query's rows, in the order the server gives them.
Texts first_column(const std::string& sql) {
  Texts values;
  for (const auto& row : fixture_rows(sql)) values.push_back(row[0]);
  return values;
}

class MaintenanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_world();
    configure(*state);
    // What the window shows of lx, the progress line and the two buttons, as it changes.
    state->form1.on_changed = [this](Form1Control control) {
      const auto& form = state->form1;
      std::string text = control == Form1Control::lx ? "lx " + form.lx() : "";
      if (control == Form1Control::progress) text = "x2 " + number_text(form.progress().x2);
      if (control == Form1Control::Command1 || control == Form1Control::Command4) {
        text = form.button(control).caption + (form.button(control).enabled ? "" : " (off)");
      }
      if (!text.empty() && (shown.empty() || shown.back() != text)) shown.push_back(text);
    };
  }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  Texts shown;
};

// ---- Show Stats ----

// The counts of the drops below, one digit per row, for columns 1 to 8.
const Texts kCounts = {"200000010000", "000000000000", "000000000000", "000000000001",
                       "000000000000", "000000000000", "010000000000", "000000000100"};
std::string column_text(int column) {  // each count followed by CR LF
  std::string text;
  for (const char count : kCounts[column - 1]) text += std::string(1, count) + "\r\n";
  return text;
}

TEST_F(MaintenanceTest, StatsCountEveryRangeAndWordOverOneConnection) {
  const Texts ranges = {"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-99", "65-99"};
  // clang-format off
  state->stats_category_words = {"armour", "weapon", "higher lvl misc", "All lvl misc", "shields",
      "General Food Items", "Spells/Songs", "potions", "Drums/Arrows/Crafted Rings", "Ales/Drinks",
      "idols charms trinkets", "high level augment items/Solvents"};
  // clang-format on
  for (const auto& range : ranges) state->form1.add_level_entry(range);
  for (int column = 1; column <= 8; ++column) state->form1.set_lvls(column, "stale\r\n");
  fixture_sql(
      "INSERT INTO lootdrop (id,name) VALUES (1,'lvl_01-10_CUSTOM_armour'),"
      "(2,'lvl_01-10_CUSTOM_armour'),(3,'lvl_01-10_CUSTOM_Potions'),(4,'lvl_61-99_CUSTOM_weapon'),"
      "(5,'lvl_65-99_CUSTOM_Ales/Drinks'),(6,'lvl_01-10_CUSTOM_armourX'),"
      "(7,'lvl_01-10_CUSTOM_Drinks/Ales'),(8,'lvl_11-20_CUSTOM_idols,charms,trinkets'),"
      "(9,'lvlX01-10_CUSTOM_armour'),(10,'fixed_by_KORVATH'),"
      "(11,'lvl_31-40_CUSTOM_high level augment items/Solvents')");
  // A column is cleared just before its own counts; those to its right still
  // show the previous press while events are processed.
  ui.on_process_events = [&] {
    for (int column = 1; column <= 8; ++column) {
      EXPECT_EQ(state->form1.lvls(column),
                column <= ui.process_events_calls ? column_text(column) : "stale\r\n")
          << "pass " << ui.process_events_calls << ", column " << column;
    }
  };
  state->record_count = 77;
  GeneralLog log;
  maintenance::Command3_Click(*state, ui);

  Texts expected_sql;
  for (const auto& range : ranges) {
    for (const auto& word : state->stats_category_words) {
      expected_sql.push_back("select count(id) from lootdrop where lootdrop.name = 'lvl_" + range +
                             "_CUSTOM_" + word + "'");
    }
  }
  EXPECT_EQ(log.statement_texts(), expected_sql);
  ASSERT_EQ(log.connections().size(), 1u);
  for (const auto& statement : log.statements())
    EXPECT_EQ(statement.connection, log.connections()[0]);
  EXPECT_TRUE(log.disconnections().empty());
  EXPECT_TRUE(state->db_connection && state->db_connection->is_open());
  EXPECT_EQ(shown, (Texts{"lx WORKING...", "x2 9550", "x2 9726.25", "x2 9902.5", "x2 10078.75",
                          "x2 10255", "x2 10431.25", "x2 10607.5", "x2 10783.75", "x2 10960",
                          "lx >Ready", "x2 11210"}));
  EXPECT_EQ(ui.process_events_calls, 8);
  EXPECT_EQ(ui.repaint_calls, 8);
  EXPECT_EQ(state->record_count, 77);  // the counts do not go through run_query
  EXPECT_TRUE(ui.messages.empty());

  // Pressed again: after the second range another command replaces the
  // connection (the counts carry on over the new one), after the third one
  // another closes it (the counts stop, no stale column, no statement sent).
  ui.process_events_calls = 0;
  ui.on_process_events = [&] {
    if (ui.process_events_calls == 2) db::open_database(*state);
    if (ui.process_events_calls == 3) state->db_connection->close();
  };
  GeneralLog interrupted;
  maintenance::Command3_Click(*state, ui);
  EXPECT_EQ(ui.messages, (Texts{"The counts were interrupted by another command.\r\n"
                                "Press Show Stats again."}));
  EXPECT_EQ(interrupted.statement_texts(), Texts(expected_sql.begin(), expected_sql.begin() + 36));
  for (int column = 1; column <= 8; ++column)
    EXPECT_EQ(state->form1.lvls(column), column <= 3 ? column_text(column) : "") << column;
  EXPECT_EQ(Texts(shown.end() - 2, shown.end()), (Texts{"lx >Ready", "x2 11210"}));
  ui.messages.clear();

  // And again, the table disappears after the second range: the failing
  // count is reported and no column keeps stale counts.
  ui.process_events_calls = 0;
  ui.on_process_events = [&] {
    if (ui.process_events_calls == 2) fixture_sql("DROP TABLE lootdrop");
  };
  maintenance::Command3_Click(*state, ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("lootdrop' doesn't exist"), std::string::npos) << ui.messages[0];
  EXPECT_NE(ui.messages[0].find("'lvl_21-30_CUSTOM_armour'"), std::string::npos);
  for (int column = 1; column <= 8; ++column)
    EXPECT_EQ(state->form1.lvls(column), column <= 2 ? column_text(column) : "") << column;
  EXPECT_EQ(Texts(shown.end() - 2, shown.end()), (Texts{"lx >Ready", "x2 11210"}));
  EXPECT_EQ(ui.process_events_calls, 2);
}

// ---- Delete ALL Custom Loot Drops For SELECTED Levels ----

// Drops 10 to 14, one entry each, linked into loottable 1 or 2, each held by an NPC.
void insert_drops() {
  fixture_sql(
      "INSERT INTO lootdrop VALUES (10,'lvl_01-10_CUSTOM_armour'),(11,'lvlX01-10anything'),"
      "(12,'lvl_61-99_CUSTOM_weapon'),(13,'lvl_65-99_CUSTOM_weapon'),(14,'fixed_by_KORVATH')");
  fixture_sql("INSERT INTO lootdrop_entries SELECT id,id+1000,1,1,10,0,127,1 FROM lootdrop");
  fixture_sql("INSERT INTO loottable_entries SELECT 1+id%2,id,1,50,1,0 FROM lootdrop");
  fixture_sql("INSERT INTO loottable VALUES (1,'one',0,0,0),(2,'two',0,0,0)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,1),(2,'b',5,2)");
}

// The lootdrop ids left in lootdrop / lootdrop_entries / loottable_entries.
std::string remaining() {
  return fixture_value(
      "SELECT CONCAT_WS('/',(SELECT GROUP_CONCAT(id ORDER BY id) FROM lootdrop),"
      "(SELECT GROUP_CONCAT(lootdrop_id ORDER BY 1) FROM lootdrop_entries),"
      "(SELECT GROUP_CONCAT(lootdrop_id ORDER BY 1) FROM loottable_entries))");
}
const std::string kAllRemain = "10,11,12,13,14/10,11,12,13,14/10,11,12,13,14";
const Texts kOneDeletion = {"WORKING...", "Delete ALL Custom Loot Drops For SELECTED Levels"};

TEST_F(MaintenanceTest, DeleteTakesTheDropsOfTheRangeThenTheirEntries) {
  insert_drops();
  GeneralLog log;
  Command1_Click(*state, ui);  // the start-up range 01-10

  const auto statements = log.statement_texts();
  ASSERT_EQ(statements.size(), 6u);
  EXPECT_EQ(statements[0], "SELECT id from lootdrop WHERE lootdrop.name like 'lvl_01-10%'");
  EXPECT_EQ(statements[1], "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_01-10%'");
  // The query asks for no order; "_" also takes the foreign "lvlX01-10anything".
  const std::string first = statements[2].substr(statements[2].size() - 2);
  const std::string second = first == "10" ? "11" : "10";
  EXPECT_EQ(Texts(statements.begin() + 2, statements.end()),
            (Texts{"DELETE FROM lootdrop_entries WHERE lootdrop_id=" + first,
                   "DELETE FROM loottable_entries WHERE lootdrop_id=" + first,
                   "DELETE FROM lootdrop_entries WHERE lootdrop_id=" + second,
                   "DELETE FROM loottable_entries WHERE lootdrop_id=" + second}));
  // A connection of its own, then the runner's, which the deletes use and which is closed.
  ASSERT_EQ(log.connections().size(), 2u);
  for (const auto& statement : log.statements())
    EXPECT_EQ(statement.connection, log.connections()[1]);
  EXPECT_FALSE(state->db_connection->is_open());
  EXPECT_EQ(remaining(), "12,13,14/12,13,14/12,13,14");
  // Loottables and the NPCs pointing at them stay.
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(t.id,':',n.id ORDER BY t.id) FROM loottable t "
                          "JOIN npc_types n ON n.loottable_id=t.id"),
            "1:1,2:2");
  EXPECT_EQ(shown, kOneDeletion);
  EXPECT_EQ(ui.beeps, 1);

  state->level_low = "61";
  state->level_high = "99";
  Command1_Click(*state, ui);
  EXPECT_EQ(remaining(), "13,14/13,14/13,14");  // 65-99 is another prefix

  // Without a match the DELETE is still issued; an empty range does nothing at all.
  state->level_low = "21";
  state->level_high = "30";
  GeneralLog no_match;
  Command1_Click(*state, ui);
  EXPECT_EQ(no_match.statement_texts(),
            (Texts{"SELECT id from lootdrop WHERE lootdrop.name like 'lvl_21-30%'",
                   "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_21-30%'"}));
  state->level_high = "";
  GeneralLog empty_range;
  Command1_Click(*state, ui);
  EXPECT_TRUE(empty_range.statements().empty() && empty_range.connections().empty());
  EXPECT_EQ(shown.size(), 6u);  // three presses with their captions
  EXPECT_EQ(ui.beeps, 3);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MaintenanceTest, DeleteFailuresAreReportedAndStopTheCommand) {
  insert_drops();
  fixture_sql("RENAME TABLE lootdrop TO lootdrop_away");
  Command1_Click(*state, ui);
  EXPECT_EQ(ui.messages, (Texts{"The custom loot drops of levels 01-10 could not be read from the "
                                "database, so nothing was deleted."}));
  fixture_sql("RENAME TABLE lootdrop_away TO lootdrop");
  EXPECT_EQ(remaining(), kAllRemain);
  EXPECT_EQ(shown, kOneDeletion);

  fixture_sql("DROP TABLE loottable_entries");
  GeneralLog log;
  Command1_Click(*state, ui);
  ASSERT_EQ(log.statement_texts().size(), 4u);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[1].find("loottable_entries' doesn't exist"), std::string::npos);
  EXPECT_NE(ui.messages[1].find(log.statement_texts()[3]), std::string::npos) << ui.messages[1];
  // No transaction: what was deleted before the failure stays deleted.
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(id ORDER BY id) FROM lootdrop"), "12,13,14");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM lootdrop_entries"), "4");
  EXPECT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown.back(), "Delete ALL Custom Loot Drops For SELECTED Levels");
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_FALSE(state->db_connection->is_open());
}

TEST_F(MaintenanceTest, DeleteTakesMoreThan32000Drops) {
  fixture_sql("INSERT INTO lootdrop SELECT seq,'lvl_41-50_CUSTOM_armour' FROM seq_100_to_32200");
  insert_drops();
  state->level_low = "41";
  state->level_high = "50";
  GeneralLog log;
  Command1_Click(*state, ui);
  EXPECT_EQ(log.statement_texts().size(), 2u + 2 * 32101);
  EXPECT_EQ(remaining(), kAllRemain);
  EXPECT_TRUE(ui.messages.empty());
}

// ---- Repair NPC's Without Lootdrops ----

const std::string kNpcQuery = "SELECT id FROM npc_types WHERE loottable_id=0";
const std::string kPoolQuery =
    "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'";

// The four items a command draws with `random` from the pool, in query order.
Texts expected_picks(Random random) {
  const auto pool = fixture_rows(kPoolQuery);
  Texts picks;
  for (int k = 0; k < 4; ++k)
    picks.push_back(pool.at(static_cast<std::size_t>(std::floor(random.next() * pool.size())))[0]);
  return picks;
}

TEST_F(MaintenanceTest, RepairSharesOneDropAcrossNpcsWithConsecutiveLoottables) {
  fixture_sql(
      "INSERT INTO items (id,name) VALUES (1001,'Cloth Cap'),(1002,'rusty sword'),"
      "(1003,'cloth shirt'),(1004,'Bronze Sword'),(1005,'old rusty key')");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',2,0),"
      "(7,'c',3,0),(8,'d',3,40)");
  fixture_sql("INSERT INTO lootdrop VALUES (100,'lvl_01-10_CUSTOM_armour')");
  fixture_sql("INSERT INTO loottable VALUES (40,'existing',0,0,0)");
  state->random.seed(1234);
  const Random before = state->random;
  const auto picks = expected_picks(before);
  const auto npcs = first_column(kNpcQuery);
  std::string npc_links = "8:40";  // NPC:loottable, by loottable
  GeneralLog log;
  Command4_Click(*state, ui);

  Texts expected = {kNpcQuery, kPoolQuery, "SELECT max(id) FROM lootdrop",
                    "INSERT INTO LOOTDROP values (101,'fixed_by_KORVATH')"};
  for (const auto& item : picks)
    expected.push_back("INSERT INTO LOOTDROP_ENTRIES values (101," + item + ",1,1,1,0,127,1)");
  for (std::size_t i = 0; i < npcs.size(); ++i) {
    const std::string t = std::to_string(41 + i);
    expected.push_back("SELECT max(id) FROM loottable");
    expected.push_back("INSERT INTO LOOTTABLE values (" + t + ",'fixed_by_KORVATH',100,1000,0)");
    expected.push_back("INSERT INTO LOOTTABLE_ENTRIES values (" + t + ",101,1,50,1,0)");
    expected.push_back("UPDATE npc_types SET loottable_id=" + t + " WHERE npc_types.id=" + npcs[i]);
    npc_links += "," + npcs[i] + ":" + t;
  }
  EXPECT_EQ(log.statement_texts(), expected);
  EXPECT_EQ(log.connections().size(), 6u);  // one per list and per maximum
  // The capitalised table names reached the lower-case tables.
  EXPECT_EQ(fixture_value(
                "SELECT CONCAT_WS(',',(SELECT GROUP_CONCAT(id) FROM lootdrop),"
                "(SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id=101),"
                "(SELECT GROUP_CONCAT(id ORDER BY id) FROM loottable),"
                "(SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id=101),"
                "(SELECT GROUP_CONCAT(id,':',loottable_id ORDER BY loottable_id) FROM npc_types))"),
            "100,101,4,40,41,42,43,3," + npc_links);
  EXPECT_EQ(shown, (Texts{"lx WORKING...", "WORKING: 1/3", "WORKING: 2/3", "WORKING: 3/3",
                          "Repaired", "Repaired (off)", "lx >Ready"}));
  EXPECT_EQ(ui.repaint_calls, 3);
  EXPECT_TRUE(ui.messages.empty());
  Random after_four = before;  // exactly four draws, and no re-seeding
  for (int k = 0; k < 4; ++k) after_four.next();
  EXPECT_EQ(state->random.next(), after_four.next());

  // The repair's rows never match the deletion's pattern.
  Command1_Click(*state, ui);
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(id) FROM lootdrop"), "101");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM loottable_entries"), "3");
}

TEST_F(MaintenanceTest, RepairWithoutNpcsStillWritesTheDrop) {
  fixture_sql("INSERT INTO items (id,name) VALUES (2001,'rusty dagger')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,9)");
  fixture_sql("INSERT INTO lootdrop VALUES (7,'other')");
  GeneralLog log;
  Command4_Click(*state, ui);
  const std::string entry = "INSERT INTO LOOTDROP_ENTRIES values (8,2001,1,1,1,0,127,1)";
  EXPECT_EQ(log.statement_texts(), (Texts{kNpcQuery, kPoolQuery, "SELECT max(id) FROM lootdrop",
                                          "INSERT INTO LOOTDROP values (8,'fixed_by_KORVATH')",
                                          entry, entry, entry, entry}));
  EXPECT_EQ(fixture_value("SELECT count(*) FROM loottable"), "0");
  EXPECT_EQ(shown, (Texts{"lx WORKING...", "Repaired", "Repaired (off)", "lx >Ready"}));
}

TEST_F(MaintenanceTest, RepairRefusesAnEmptyPoolAndDrawsFromOneBeyond32767Items) {
  fixture_sql("INSERT INTO items (id,name) VALUES (50001,'Bronze Sword'),(50002,'old cloth')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0)");
  GeneralLog log;
  Command4_Click(*state, ui);
  EXPECT_EQ(log.statement_texts(), (Texts{kNpcQuery, kPoolQuery}));
  EXPECT_EQ(ui.messages, (Texts{maintenance::kEmptyItemPoolMessage}));
  EXPECT_EQ(shown, (Texts{"lx WORKING...", "lx >Ready"}));  // the button stays as it was

  fixture_sql("INSERT INTO items (id,name) SELECT seq, CONCAT('cloth ', seq) FROM seq_1_to_33000");
  std::uint64_t seed = 1;  // one whose first draw lands beyond the 32767th item
  for (Random probe(seed); probe.next() * 33000.0 < 32767; probe.seed(++seed))
    ASSERT_LT(seed, 100000u);
  state->random.seed(seed);
  auto picks = expected_picks(state->random);
  Command4_Click(*state, ui);
  std::sort(picks.begin(), picks.end());
  EXPECT_EQ(first_column("SELECT item_id FROM lootdrop_entries ORDER BY CONCAT(item_id)"), picks);
}

TEST_F(MaintenanceTest, RepairRejectedStatementIsReportedAndLeavesTheButtonUsable) {
  fixture_sql("INSERT INTO items (id,name) VALUES (2001,'cloth gloves')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',1,0)");
  fixture_sql("RENAME TABLE loottable_entries TO loottable_entries_away");
  GeneralLog log;
  Command4_Click(*state, ui);
  // From empty tables the first lootdrop and loottable ids are 1.
  const std::string rejected = "INSERT INTO LOOTTABLE_ENTRIES values (1,1,1,50,1,0)";
  EXPECT_EQ(log.statement_texts().size(), 11u);
  EXPECT_EQ(log.statement_texts().back(), rejected);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("loottable_entries' doesn't exist"), std::string::npos);
  EXPECT_NE(ui.messages[0].find(rejected), std::string::npos) << ui.messages[0];
  EXPECT_EQ(shown, (Texts{"lx WORKING...", "WORKING: 1/2", "Repair NPC's Without Lootdrops",
                          "lx >Ready"}));
  // No transaction: what was written before the failure stays.
  EXPECT_EQ(fixture_value("SELECT concat(count(*),'/',max(id)) FROM loottable"), "1/1");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM npc_types WHERE loottable_id=0"), "2");
}

}  // namespace
}  // namespace vl::test
