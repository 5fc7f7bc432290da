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

std::string entry(int lootdrop, int item, const std::string& chance = "10") {
  return "INSERT INTO lootdrop_entries values (" + std::to_string(lootdrop) + "," +
         std::to_string(item) + ",1,1," + chance + ",0,127,1)";
}

class GenerationRun : public LootTest {};

TEST_F(GenerationRun, ChosenNpcsGetExactlyTheirStatementsInOrderAndConnections) {
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (5000,'older drop')");
  add_items(10, {1001, 1002});
  add_items(1, {3001});
  add_npcs({77, 88});
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (9,'high',30,99)");
  state->item_max_count = 2;
  form().set_text(Form1Control::perc_of_npcs, "101");  // every roll passes

  GeneralLog log;
  Command2_Click(*state, ui);
  const auto statements = log.statements();
  ASSERT_EQ(statements.size(), 12u);
  Texts texts;
  for (const auto& s : statements) texts.push_back(s.argument);
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + 4),
            (Texts{"SELECT id from items WHERE ( itemtype=10)",
                   "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10",
                   "SELECT MAX(id) FROM lootdrop",
                   "INSERT INTO lootdrop (id,name) values (5001,\"lvl_01-10_CUSTOM_armour\")"}));
  // The items come in random order.
  EXPECT_EQ((std::set<std::string>{texts[4], texts[5]}),
            (std::set<std::string>{entry(5001, 1001), entry(5001, 1002)}));
  EXPECT_EQ(texts[6], "INSERT INTO loottable_entries values (77,5001,1,50,1,0)");
  EXPECT_EQ(texts[8], "INSERT INTO lootdrop (id,name) values (5002,\"lvl_01-10_CUSTOM_armour\")");
  EXPECT_EQ(texts[11], "INSERT INTO loottable_entries values (88,5002,1,50,1,0)");
  EXPECT_EQ(fixture_rows("SELECT * FROM lootdrop_entries WHERE lootdrop_id=5001 ORDER BY item_id"),
            (Rows{{"5001", "1001", "1", "1", "10", "0", "127", "1"},
                  {"5001", "1002", "1", "1", "10", "0", "127", "1"}}));
  EXPECT_EQ(fixture_rows("SELECT * FROM loottable_entries ORDER BY lootdrop_id"),
            (Rows{{"77", "5001", "1", "50", "1", "0"}, {"88", "5002", "1", "50", "1", "0"}}));
  EXPECT_EQ(ui.messages, Texts{"Completed!"});
  EXPECT_EQ(state->next_lootdrop_id, 5002);
  EXPECT_FALSE(state->db_connection->is_open());
  expect_window_usable();

  // Item query, NPC query, the walk (no statement), then one per lootdrop.
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 5u);
  const int expected_connection[12] = {0, 1, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4};
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(statements[i].connection, connections[expected_connection[i]]) << i;
  // Every connection is gone by the end (the server logs a quit a moment late).
  const std::set<int> opened(connections.begin(), connections.end());
  std::set<int> closed;
  for (int attempt = 0; attempt < 100 && closed != opened; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt ? 20 : 0));
    const auto quits = log.disconnections();
    closed = std::set<int>(quits.begin(), quits.end());
  }
  EXPECT_EQ(closed, opened);
}

TEST_F(GenerationRun, OnePercentRollPerNpcOneNpcPerLoottable) {
  use_custom_list({1001, 1002});
  state->item_max_count = 1;
  // NPC 1 fails, NPC 2 shares its loottable and is not tried, NPC 3 has none,
  // NPC 4 fails only if NPC 3 used up a roll, NPC 5 passes.
  add_npcs({66, 66, 0, 88, 99});
  form().set_text(Form1Control::perc_of_npcs, "50");
  state->random.seed(seed_for_rolls(5, [](const auto& r) {
    return r[0] >= 50 && r[1] < 50 && r[2] < 50 && r[3] >= 50 && r[4] < 50;
  }));
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"), Rows{{"99"}});

  // All pass: each loottable once, never 0.
  reset_world();
  add_npcs({77, 77, 0, 88});
  form().set_text(Form1Control::perc_of_npcs, "101");
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id,lootdrop_id FROM loottable_entries ORDER BY 2"),
            (Rows{{"77", "1"}, {"88", "2"}}));
}

TEST_F(GenerationRun, PercentTestIsStrictlyLessAndSettingsRoundDown) {
  use_custom_list({1001, 1002});
  state->item_max_count = 1;
  form().set_text(Form1Control::lootdrop_percentx, "12.7");
  form().set_text(Form1Control::loottable_percentx, "50.5");
  // The first NPC rolls exactly p and fails, the second rolls less and passes.
  for (const auto& [text, p] : {std::pair{"100", 100}, std::pair{"25.9", 25}}) {
    reset_world();
    add_npcs({11, 22});
    state->random.seed(seed_for_rolls(2, [p](const auto& r) { return r[0] == p && r[1] < p; }));
    form().set_text(Form1Control::perc_of_npcs, text);
    GeneralLog log;
    Command2_Click(*state, ui);
    const auto texts = log.statement_texts();
    ASSERT_EQ(texts.size(), 5u) << text;
    EXPECT_EQ(texts[3], entry(1, state->drop_item_ids[1], "12"));
    EXPECT_EQ(texts[4], "INSERT INTO loottable_entries values (22,1,1,50,1,0)");
  }
  for (const char* text : {"1", "0", "none"}) {
    reset_world();
    add_npcs({11, 22, 33});
    form().set_text(Form1Control::perc_of_npcs, text);
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(log.statement_texts().size(), 1u) << text;  // the NPC query only
    EXPECT_EQ(ui.messages.back(), "Completed!");
  }
}

TEST_F(GenerationRun, DropNamesNoItemsAndRepeatedIds) {
  // Custom list with "Weapon" selected: no item query, weapon names the drops.
  use_custom_list({2001, 2002, 2003});
  form().select_op(1);
  state->level_low = "11";
  state->level_high = "20";
  state->item_max_count = 0;
  form().set_text(Form1Control::perc_of_npcs, "101");
  add_npcs({40}, 15);
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(ui.messages, (Texts{"Using Your Custom Item List - [3 items]", "Completed!"}));
  EXPECT_EQ(log.statement_texts(),
            (Texts{"SELECT id,loottable_id FROM npc_types WHERE level>=11 AND level<=20",
                   "SELECT MAX(id) FROM lootdrop",
                   "INSERT INTO lootdrop (id,name) values (1,\"lvl_11-20_CUSTOM_weapon\")",
                   "INSERT INTO loottable_entries values (40,1,1,50,1,0)"}));

  // Category names that differ from the captions; a list repeating one id.
  reset_world();
  state->level_low = "01";
  state->level_high = "10";
  state->item_max_count = 2;
  add_npcs({41, 42, 43, 44});
  use_custom_list({7, 7, 7, 7, 8, 7});
  form().select_op(9);
  Command2_Click(*state, ui);
  state->custom_list_active = false;
  state->item_max_count = 1;
  add_items(21, {2101});
  form().select_op(7);
  Command2_Click(*state, ui);
  EXPECT_EQ(
      fixture_rows("SELECT d.name, COUNT(*), GROUP_CONCAT(DISTINCT e.item_id ORDER BY e.item_id) "
                   "FROM lootdrop d JOIN lootdrop_entries e ON e.lootdrop_id=d.id "
                   "GROUP BY d.name ORDER BY d.name"),
      (Rows{{"lvl_01-10_CUSTOM_Ales/Drinks", "8", "7,8"},
            {"lvl_01-10_CUSTOM_Potions", "4", "2101"}}));
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM (SELECT lootdrop_id FROM lootdrop_entries "
                          "GROUP BY lootdrop_id HAVING COUNT(DISTINCT item_id)<COUNT(*)) t"),
            "0");
}

TEST_F(GenerationRun, ProgressStatusAndButtonsDuringTheWalk) {
  add_items(10, {1001});
  add_npcs({0, 0, 0, 0});
  std::vector<double> x2;
  Texts lx;
  form().on_changed = [&](Form1Control c) {
    if (c == Form1Control::progress) x2.push_back(form().progress().x2);
    if (c == Form1Control::lx) lx.push_back(form().lx());
  };
  int events_as_expected = 0;
  ui.on_process_events = [&] {
    bool ok = !form().button(Form1Control::Command2).enabled &&
              !form().button(Form1Control::Command3).enabled;
    for (auto c : {Form1Control::Command1, Form1Control::Command4, Form1Control::Command5,
                   Form1Control::Command6, Form1Control::clearlist})
      ok = ok && form().button(c).enabled;
    events_as_expected += ok;
  };
  state->item_max_count = 1;
  Command2_Click(*state, ui);
  EXPECT_EQ(x2, (std::vector<double>{9800, 10152.5, 10505, 10857.5, 11210, 11210}));
  EXPECT_EQ(lx, (Texts{"Generating Items Lists", "Generating NPC Lists", "> 1/4", "> 2/4", "> 3/4",
                       "> 4/4", ">Ready"}));
  EXPECT_EQ(ui.process_events_calls, 5);
  EXPECT_EQ(events_as_expected, 5);

  // No NPCs in the range: the run completes with nothing written.
  x2.clear();
  state->level_low = "50";
  state->level_high = "60";
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(x2, (std::vector<double>{9800, 11210}));
  EXPECT_EQ(log.statement_texts().size(), 2u);
  EXPECT_EQ(ui.messages, (Texts{"Completed!", "Completed!"}));
  expect_window_usable();

  // An empty bound: nothing at all.
  lx.clear();
  state->level_low = "";
  GeneralLog silent;
  Command2_Click(*state, ui);
  EXPECT_TRUE(silent.statement_texts().empty());
  EXPECT_TRUE(lx.empty());
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(GenerationRun, NpcsBeyondTheOldLimitAndWithoutValues) {
  use_custom_list({1001});
  state->item_max_count = 1;
  form().set_text(Form1Control::perc_of_npcs, "101");
  std::vector<long long> loottables(33000, 0);
  loottables.back() = 9;
  add_npcs(loottables);
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"), Rows{{"9"}});

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
  EXPECT_EQ(fixture_rows("SELECT loottable_id FROM loottable_entries"), Rows{{"5"}});
  EXPECT_EQ(ui.messages.back(), "Completed!");
}

}  // namespace
}  // namespace vl::test
