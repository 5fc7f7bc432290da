// "Show Stats", the deletion and the repair on a server that dies under them:
// a statement on the open connection is reported with the driver's text and
// the window is usable again; a connection that cannot be made ends the
// program. Rows written or deleted before the failure stay so.

#include "db/database.h"
#include "fault_server.h"
#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance/stats.h"

namespace vl::test {
namespace {

using MaintenanceFaults = FaultTest;

std::string counts_column(const std::string& digits) {  // one count per row, each with CR LF
  std::string text;
  for (char count : digits) text += std::string(1, count) + "\r\n";
  return text;
}

TEST_F(MaintenanceFaults, StatsLosingTheServerBetweenRangesKeepOnlyTheCountedColumns) {
  fixture_sql(
      "INSERT INTO lootdrop VALUES (1,'lvl_01-10_CUSTOM_armour'),(2,'lvl_21-30_CUSTOM_weapon'),"
      "(3,'lvl_41-50_CUSTOM_armour')");
  for (int column = 1; column <= 8; ++column) form().set_lvls(column, "stale\r\n");
  // Events go through after each range: the server dies after the third.
  ui.on_process_events = [this] {
    if (ui.process_events_calls == 3) kill_server();
  };
  GeneralLog log;
  run(maintenance::Command3_Click);

  const std::string lost =
      "select count(id) from lootdrop where lootdrop.name = 'lvl_31-40_CUSTOM_armour'";
  EXPECT_EQ(ui.messages, (Texts{statement_failed(server_text(kLostConnection), lost)}));
  EXPECT_EQ(ui.process_events_calls, 3);
  // The lost count never reached the server: the log ends with the third range.
  const Texts statements = program_statements(log);
  ASSERT_EQ(statements.size(), 36u);
  EXPECT_EQ(statements.back(),
            "select count(id) from lootdrop where lootdrop.name = "
            "'lvl_21-30_CUSTOM_high level augment items/Solvents'");
  // The counted columns stay; the failed one and those after it are empty, not stale.
  Texts columns;
  for (int column = 1; column <= 8; ++column) columns.push_back(form().lvls(column));
  EXPECT_EQ(columns, (Texts{counts_column("100000000000"), counts_column("000000000000"),
                            counts_column("010000000000"), "", "", "", "", ""}));
  expect_window_usable();

  restart_server();
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(id ORDER BY id) FROM lootdrop"), "1,2,3");
}

TEST_F(MaintenanceFaults, DeletionLosingTheServerKeepsWhatItsStatementsDeleted) {
  fixture_sql(
      "INSERT INTO lootdrop VALUES (10,'lvl_01-10_CUSTOM_armour'),(11,'lvl_01-10_CUSTOM_weapon'),"
      "(12,'lvl_11-20_CUSTOM_armour')");
  fixture_sql("INSERT INTO lootdrop_entries SELECT id,id+1000,1,1,10,0,127,1 FROM lootdrop");
  fixture_sql("INSERT INTO loottable_entries SELECT id+60,id,1,50,1,0 FROM lootdrop");
  Texts captions;
  form().on_changed = [&](Form1Control control) {
    if (control == Form1Control::Command1) captions.push_back(form().button(control).caption);
  };
  // Another session holds the link table: the first link deletion waits, and
  // the server dies under it.
  KillWhenWaiting killer("loottable_entries", "DELETE FROM loottable_entries");
  GeneralLog log;
  run(maintenance::Command1_Click);
  const std::string lost = "DELETE FROM loottable_entries WHERE lootdrop_id=10";
  EXPECT_EQ(killer.join(), lost);

  EXPECT_EQ(ui.messages, (Texts{statement_failed(server_text(kLostConnection), lost)}));
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_EQ(captions, (Texts{"WORKING...", "Delete ALL Custom Loot Drops For SELECTED Levels"}));
  expect_window_usable(">READY");
  EXPECT_FALSE(state->db_connection->is_open());
  EXPECT_EQ(program_statements(log),
            (Texts{"SELECT id from lootdrop WHERE lootdrop.name like 'lvl_01-10%'",
                   "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_01-10%'",
                   "DELETE FROM lootdrop_entries WHERE lootdrop_id=10", lost}));

  // Both drops of the range and the entries of drop 10 are gone; every link stays.
  restart_server();
  EXPECT_EQ(fixture_value("SELECT CONCAT_WS('/',"
                          "(SELECT GROUP_CONCAT(id ORDER BY id) FROM lootdrop),"
                          "(SELECT GROUP_CONCAT(lootdrop_id ORDER BY 1) FROM lootdrop_entries),"
                          "(SELECT GROUP_CONCAT(lootdrop_id ORDER BY 1) FROM loottable_entries))"),
            "12/11,12/10,11,12");
}

class RepairFaults : public FaultTest {
 protected:
  void SetUp() override {
    FaultTest::SetUp();
    fixture_sql("INSERT INTO items (id,name) VALUES (2001,'cloth gloves')");
    fixture_sql(
        "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',1,0),"
        "(7,'c',1,0)");
    form().on_changed = [this](Form1Control control) {
      const std::string& caption = form().button(Form1Control::Command4).caption;
      if (control == Form1Control::Command4 && (captions.empty() || captions.back() != caption)) {
        captions.push_back(caption);
      }
    };
  }
  // The statements of the repair up to NPC `npc` (1 = the first), all of them.
  static Texts statements_through_npc(int npcs) {
    Texts texts = {"SELECT id FROM npc_types WHERE loottable_id=0",
                   "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'",
                   "SELECT max(id) FROM lootdrop",
                   "INSERT INTO LOOTDROP values (1,'fixed_by_KORVATH')"};
    for (int k = 0; k < 4; ++k)
      texts.push_back("INSERT INTO LOOTDROP_ENTRIES values (1,2001,1,1,1,0,127,1)");
    for (int npc = 1; npc <= npcs; ++npc) {
      const std::string t = std::to_string(npc);
      texts.insert(texts.end(),
                   {"SELECT max(id) FROM loottable",
                    "INSERT INTO LOOTTABLE values (" + t + ",'fixed_by_KORVATH',100,1000,0)",
                    "INSERT INTO LOOTTABLE_ENTRIES values (" + t + ",1,1,50,1,0)",
                    "UPDATE npc_types SET loottable_id=" + t +
                        " WHERE npc_types.id=" + std::to_string(4 + npc)});
    }
    return texts;
  }
  // Loottables, their entries and the NPCs' loottables, after the server came back.
  static std::string repaired() {
    return fixture_value(
        "SELECT CONCAT_WS('/',(SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id=1),"
        "(SELECT GROUP_CONCAT(id ORDER BY id) FROM loottable),"
        "(SELECT GROUP_CONCAT(loottable_id ORDER BY 1) FROM loottable_entries),"
        "(SELECT GROUP_CONCAT(loottable_id ORDER BY id) FROM npc_types))");
  }
  Texts captions;
};

TEST_F(RepairFaults, ServerKilledBeforeAnNpcEndsTheProgramAfterTheConnectionMessage) {
  RecordingUi hooked;  // the repaint of "WORKING: k/M" is where the server dies
  hooked.on_repaint = [&] {
    if (hooked.repaint_calls == 2) kill_server();
  };
  GeneralLog log;
  ui::run_command(*state, hooked, maintenance::Command4_Click,
                  [this](int code) { exit_codes.push_back(code); });
  EXPECT_EQ(hooked.messages, (Texts{db::kConnectionFailedMessage}));
  EXPECT_EQ(exit_codes, (std::vector<int>{ui::kExitConnectionFailed}));
  EXPECT_EQ(captions, (Texts{"WORKING: 1/3", "WORKING: 2/3"}));
  EXPECT_EQ(program_statements(log), statements_through_npc(1));

  restart_server();
  EXPECT_EQ(repaired(), "4/1/1/1,0,0");
}

TEST_F(RepairFaults, ServerLostInsideAnNpcIsReportedAndTheRepairCanRunAgain) {
  RecordingUi hooked;  // the repaint of "WORKING: k/M" is where the server dies
  std::unique_ptr<KillWhenWaiting> killer;
  hooked.on_repaint = [&] {
    if (hooked.repaint_calls == 2) {
      killer =
          std::make_unique<KillWhenWaiting>("loottable_entries", "INSERT INTO LOOTTABLE_ENTRIES");
    }
  };
  GeneralLog log;
  ui::run_command(*state, hooked, maintenance::Command4_Click,
                  [this](int code) { exit_codes.push_back(code); });
  ASSERT_TRUE(killer);
  const std::string lost = "INSERT INTO LOOTTABLE_ENTRIES values (2,1,1,50,1,0)";
  EXPECT_EQ(killer->join(), lost);

  EXPECT_EQ(hooked.messages, (Texts{statement_failed(server_text(kLostConnection), lost)}));
  // Neither "Repaired" nor disabled: the button is back as designed.
  EXPECT_EQ(captions, (Texts{"WORKING: 1/3", "WORKING: 2/3", "Repair NPC's Without Lootdrops"}));
  expect_window_usable();
  Texts expected = statements_through_npc(2);
  expected.pop_back();  // the update of NPC 6 never ran
  EXPECT_EQ(program_statements(log), expected);

  // NPC 5 is repaired; NPC 6's loottable stands without its entry; NPC 7 is untouched.
  restart_server();
  EXPECT_EQ(repaired(), "4/1,2/1/1,0,0");

  // Pressed again once the server is back, the repair takes the NPCs still without loot.
  ui::run_command(*state, hooked, maintenance::Command4_Click,
                  [this](int code) { exit_codes.push_back(code); });
  EXPECT_EQ(hooked.messages.size(), 1u);
  EXPECT_EQ(captions.back(), "Repaired");
  EXPECT_FALSE(form().button(Form1Control::Command4).enabled);
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(loottable_id ORDER BY id) FROM npc_types"), "1,3,4");
}

}  // namespace
}  // namespace vl::test
