// The generation run against the test server: what reaches the server, in which
// order and over which connections, and which NPCs get drops.

#include "loot/generation_run.h"

#include <chrono>
#include <set>
#include <thread>

#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::Command2_Click;

class GenerationRun : public LootTest {
 protected:
  void SetUp() override {
    LootTest::SetUp();
    fixture_sql("INSERT INTO lootdrop (id,name) VALUES (5000,'older drop')");
  }
  static std::string entry(int lootdrop, int item, const std::string& chance = "10") {
    return "INSERT INTO lootdrop_entries values (" + std::to_string(lootdrop) + "," +
           std::to_string(item) + ",1,1," + chance + ",0,127,1)";
  }
};

TEST_F(GenerationRun, OneChosenNpcGivesExactlyItsStatementsInOrder) {
  add_items(10, {1001, 1002});
  add_items(1, {3001});
  add_npc(1, 5, 77);
  add_npc(2, 30, 78);  // outside 01-10
  state->item_max_count = 2;
  form().set_text(Form1Control::perc_of_npcs, "101");  // every roll passes

  GeneralLog log;
  Command2_Click(*state, ui);

  const auto texts = log.statement_texts();
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[0], "SELECT id from items WHERE ( itemtype=10)");
  EXPECT_EQ(texts[1], "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10");
  EXPECT_EQ(texts[2], "SELECT MAX(id) FROM lootdrop");
  EXPECT_EQ(texts[3], "INSERT INTO lootdrop (id,name) values (5001,\"lvl_01-10_CUSTOM_armour\")");
  // The draw order comes from a time-seeded generator: the two items in either
  // order, as drop_item_ids holds them.
  const int first = state->drop_item_ids[1], second = state->drop_item_ids[2];
  EXPECT_EQ((std::set<int>{first, second}), (std::set<int>{1001, 1002}));
  EXPECT_EQ(texts[4], entry(5001, first));
  EXPECT_EQ(texts[5], entry(5001, second));
  EXPECT_EQ(texts[6], "INSERT INTO loottable_entries values (77,5001,1,50,1,0)");

  EXPECT_EQ(ui.messages, std::vector<std::string>{"Completed!"});
  EXPECT_EQ(drops(), (std::vector<std::vector<std::string>>{{"5000", "older drop"},
                                                            {"5001", "lvl_01-10_CUSTOM_armour"}}));
  EXPECT_EQ(loottable_links(),
            (std::vector<std::vector<std::string>>{{"77", "5001", "1", "50", "1", "0"}}));
  EXPECT_EQ(
      fixture_rows("SELECT lootdrop_id,item_id,item_charges,equip_item,chance,minlevel,"
                   "maxlevel,multiplier FROM lootdrop_entries ORDER BY item_id"),
      (std::vector<std::vector<std::string>>{{"5001", "1001", "1", "1", "10", "0", "127", "1"},
                                             {"5001", "1002", "1", "1", "10", "0", "127", "1"}}));
  EXPECT_EQ(state->next_lootdrop_id, 5001);
  EXPECT_FALSE(state->db_connection->is_open());
  expect_window_usable();
}

TEST_F(GenerationRun, ConnectionsOfARun) {
  add_items(10, {1001, 1002, 1003});
  add_npc(1, 5, 77);
  add_npc(2, 6, 88);
  state->item_max_count = 1;
  form().set_text(Form1Control::perc_of_npcs, "101");

  GeneralLog log;
  Command2_Click(*state, ui);

  // Item query, NPC query, the walk, one per lootdrop.
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 5u);
  const auto statements = log.statements();
  ASSERT_EQ(statements.size(), 2u + 2 * 4);
  EXPECT_EQ(statements[0].connection, connections[0]);
  EXPECT_EQ(statements[1].connection, connections[1]);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(statements[i].connection, connections[3]) << i;
  for (int i = 6; i < 10; ++i) EXPECT_EQ(statements[i].connection, connections[4]) << i;
  EXPECT_EQ(statements[6].argument, "SELECT MAX(id) FROM lootdrop");
  EXPECT_EQ(statements[7].argument,
            "INSERT INTO lootdrop (id,name) values (5002,\"lvl_01-10_CUSTOM_armour\")");
  // Every connection is released or closed by the end (the server logs a
  // client's quit a moment after the client has gone).
  const std::set<int> opened(connections.begin(), connections.end());
  std::set<int> closed;
  for (int attempt = 0; attempt < 100 && closed != opened; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto quits = log.disconnections();
    closed = std::set<int>(quits.begin(), quits.end());
  }
  EXPECT_EQ(closed, opened);
}

TEST_F(GenerationRun, OneNpcPerLoottableAndLoottableZero) {
  use_custom_list({1001, 1002});
  state->item_max_count = 1;
  // Same level, so the query returns them by id: 1 and 2 share loottable 77,
  // 3 has none, 4 has loottable 88.
  add_npc(1, 5, 77);
  add_npc(2, 5, 77);
  add_npc(3, 5, 0);
  add_npc(4, 5, 88);
  form().set_text(Form1Control::perc_of_npcs, "50");
  // NPC 1 fails its roll, NPC 2 would pass, NPC 3 would pass, NPC 4 passes only
  // if NPC 3 used up its own roll.
  state->random.seed(seed_for_rolls(4, [](const std::vector<int>& r) {
    return r[0] >= 50 && r[1] < 50 && r[2] < 50 && r[3] >= 50;
  }));
  Command2_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Completed!");
  EXPECT_EQ(count_of("lootdrop"), "1");  // the older drop only
  EXPECT_EQ(count_of("loottable_entries"), "0");
  EXPECT_EQ(form().lx(), ">Ready");

  // All pass: loottable 77 once, 88 once, never 0.
  reset_world();
  add_npc(1, 5, 77);
  add_npc(2, 5, 77);
  add_npc(3, 5, 0);
  add_npc(4, 5, 88);
  form().set_text(Form1Control::perc_of_npcs, "101");
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id,lootdrop_id FROM loottable_entries ORDER BY "
                         "lootdrop_id"),
            (std::vector<std::vector<std::string>>{{"77", "1"}, {"88", "2"}}));
}

TEST_F(GenerationRun, PercentTestIsStrictlyLessAndRoundsDown) {
  use_custom_list({1001, 1002, 1003});
  state->item_max_count = 1;
  add_npc(1, 5, 11);
  add_npc(2, 5, 22);

  // A roll of 100 fails p = 100; the next roll passes.
  state->random.seed(seed_for_rolls(2, [](const auto& r) { return r[0] == 100 && r[1] < 100; }));
  form().set_text(Form1Control::perc_of_npcs, "100");
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"),
            (std::vector<std::vector<std::string>>{{"22"}}));

  // "25.9" is 25: a roll of 25 fails, a lower one passes. The chance "12.7" is
  // written as 12, the probability "50.5" as 50.
  reset_world();
  add_npc(1, 5, 11);
  add_npc(2, 5, 22);
  state->random.seed(seed_for_rolls(2, [](const auto& r) { return r[0] == 25 && r[1] < 25; }));
  form().set_text(Form1Control::perc_of_npcs, "25.9");
  form().set_text(Form1Control::lootdrop_percentx, "12.7");
  form().set_text(Form1Control::loottable_percentx, "50.5");
  GeneralLog log;
  Command2_Click(*state, ui);
  const auto texts = log.statement_texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[3], "INSERT INTO lootdrop_entries values (1," +
                          std::to_string(state->drop_item_ids[1]) + ",1,1,12,0,127,1)");
  EXPECT_EQ(texts[4], "INSERT INTO loottable_entries values (22,1,1,50,1,0)");

  // p = 1, 0 and a text without a number choose no NPC at all.
  for (const char* text : {"1", "0", "none"}) {
    reset_world();
    add_npc(1, 5, 11);
    add_npc(2, 5, 22);
    add_npc(3, 5, 33);
    form().set_text(Form1Control::perc_of_npcs, text);
    GeneralLog quiet;
    Command2_Click(*state, ui);
    EXPECT_EQ(quiet.statement_texts().size(), 1u) << text;  // the NPC query only
    EXPECT_EQ(count_of("lootdrop"), "0") << text;
    EXPECT_EQ(ui.messages.back(), "Completed!");
  }
}

TEST_F(GenerationRun, DropNamesAndItemCounts) {
  // Custom list with "Weapon" selected: no item query, weapon names the drops.
  use_custom_list({2001, 2002, 2003});
  form().select_op(1);
  state->level_low = "11";
  state->level_high = "20";
  state->item_max_count = 0;
  form().set_text(Form1Control::perc_of_npcs, "101");
  add_npc(1, 15, 40);
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Using Your Custom Item List - [3 items]", "Completed!"}));
  // No items per drop: the drop and its link, no entries.
  EXPECT_EQ(log.statement_texts(),
            (std::vector<std::string>{
                "SELECT id,loottable_id FROM npc_types WHERE level>=11 AND level<=20",
                "SELECT MAX(id) FROM lootdrop",
                "INSERT INTO lootdrop (id,name) values (5001,\"lvl_11-20_CUSTOM_weapon\")",
                "INSERT INTO loottable_entries values (40,5001,1,50,1,0)"}));

  // Category names that differ from the captions.
  state->custom_list_active = false;
  state->level_low = "01";
  state->level_high = "10";
  state->item_max_count = 1;
  add_npc(2, 5, 41);
  add_items(37, {3701});
  add_items(21, {2101});
  form().select_op(9);
  Command2_Click(*state, ui);
  form().select_op(7);
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT d.name, e.item_id FROM lootdrop d JOIN lootdrop_entries e ON "
                         "e.lootdrop_id=d.id ORDER BY d.id"),
            (std::vector<std::vector<std::string>>{{"lvl_01-10_CUSTOM_Ales/Drinks", "3701"},
                                                   {"lvl_01-10_CUSTOM_Potions", "2101"}}));
}

TEST_F(GenerationRun, RepeatedIdsNeverRepeatInADrop) {
  use_custom_list({7, 7, 7, 7, 8, 7});
  state->item_max_count = 2;
  form().set_text(Form1Control::perc_of_npcs, "101");
  for (int id = 1; id <= 12; ++id) add_npc(id, 5, 100 + id);
  Command2_Click(*state, ui);
  EXPECT_EQ(count_of("lootdrop"), "13");
  EXPECT_EQ(fixture_rows("SELECT COUNT(*) FROM lootdrop_entries GROUP BY lootdrop_id "
                         "HAVING COUNT(DISTINCT item_id)<>2 OR MIN(item_id)<>7 OR MAX(item_id)<>8"),
            std::vector<std::vector<std::string>>{});
  EXPECT_EQ(count_of("lootdrop_entries"), "24");
}

TEST_F(GenerationRun, ProgressStatusAndButtonsDuringTheWalk) {
  add_items(10, {1001});
  for (int id = 1; id <= 4; ++id) add_npc(id, 5, 0);
  std::vector<double> x2;
  std::vector<std::string> lx;
  form().on_changed = [&](Form1Control c) {
    if (c == Form1Control::progress) x2.push_back(form().progress().x2);
    if (c == Form1Control::lx) lx.push_back(form().lx());
  };
  int events_with_buttons_off = 0;
  ui.on_process_events = [&] {
    const bool run_buttons_off = !form().button(Form1Control::Command2).enabled &&
                                 !form().button(Form1Control::Command3).enabled;
    const bool others_on = form().button(Form1Control::Command1).enabled &&
                           form().button(Form1Control::Command4).enabled &&
                           form().button(Form1Control::Command5).enabled &&
                           form().button(Form1Control::Command6).enabled &&
                           form().button(Form1Control::clearlist).enabled;
    if (run_buttons_off && others_on) ++events_with_buttons_off;
  };
  state->item_max_count = 1;
  Command2_Click(*state, ui);
  EXPECT_EQ(x2, (std::vector<double>{9800, 10152.5, 10505, 10857.5, 11210, 11210}));
  EXPECT_EQ(lx, (std::vector<std::string>{"Generating Items Lists", "Generating NPC Lists", "> 1/4",
                                          "> 2/4", "> 3/4", "> 4/4", ">Ready"}));
  EXPECT_EQ(ui.process_events_calls, 5);
  EXPECT_EQ(events_with_buttons_off, 5);
  expect_window_usable();

  // No NPCs in the range: the run completes with nothing written.
  x2.clear();
  state->level_low = "50";
  state->level_high = "60";
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(x2, (std::vector<double>{9800, 11210}));
  EXPECT_EQ(log.statement_texts().size(), 2u);
  EXPECT_EQ(ui.messages.back(), "Completed!");
  expect_window_usable();

  // An empty bound: nothing at all.
  lx.clear();
  state->level_low = "";
  GeneralLog silent;
  const auto shown = ui.messages.size();
  Command2_Click(*state, ui);
  EXPECT_TRUE(silent.statement_texts().empty());
  EXPECT_TRUE(lx.empty());
  EXPECT_EQ(ui.messages.size(), shown);
}

TEST_F(GenerationRun, NpcsBeyondTheOldLimitAndWithoutValues) {
  use_custom_list({1001});
  state->item_max_count = 1;
  form().set_text(Form1Control::perc_of_npcs, "101");
  std::string values;
  for (int id = 1; id <= 33000; ++id) {
    values +=
        (id > 1 ? ",(" : "(") + std::to_string(id) + ",'npc',5," + (id == 33000 ? "9)" : "0)");
  }
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES " + values);
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"),
            (std::vector<std::vector<std::string>>{{"9"}}));

  // NULL values: such an NPC is walked but never chosen and holds no loottable.
  reset_world();
  fixture_sql(
      "ALTER TABLE npc_types DROP PRIMARY KEY, MODIFY id INT NULL, "
      "MODIFY loottable_id INT UNSIGNED NULL");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (NULL,'a',5,5),"
      "(1,'b',5,NULL),(2,'c',5,5)");
  std::string last_lx;
  ui.on_process_events = [&] { last_lx = form().lx(); };
  Command2_Click(*state, ui);
  EXPECT_EQ(last_lx, "> 3/3");
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"),
            (std::vector<std::vector<std::string>>{{"5"}}));
  EXPECT_EQ(ui.messages.back(), "Completed!");
}

}  // namespace
}  // namespace vl::test
