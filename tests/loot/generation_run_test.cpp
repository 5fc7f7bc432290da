// The generation run on the test server: what reaches it, in which order and over
// which connections, which NPCs get drops, refusals, and changes made mid-run.

#include "loot/generation_run.h"

#include <set>
#include <tuple>

#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::Command2_Click;

std::string entry(int lootdrop, int item, const std::string& chance = "10") {
  return "INSERT INTO lootdrop_entries values (" + std::to_string(lootdrop) + "," +
         std::to_string(item) + ",1,1," + chance + ",0,127,1)";
}

using GenerationRun = LootTest;

TEST_F(GenerationRun, StatementsConnectionsAndProgressOfARun) {
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (5000,'older drop')");
  add_items(10, {1001, 1002});
  add_items(1, {3001});
  add_npcs({77, 88, 0, 0});
  state->item_max_count = 2;
  std::vector<double> x2;
  Texts lx;
  form().on_changed = [&](Form1Control c) {
    if (c == Form1Control::progress) x2.push_back(form().progress().x2);
    if (c == Form1Control::lx) lx.push_back(form().lx());
  };
  int events_with_only_the_run_buttons_off = 0;
  ui.on_process_events = [&] {
    events_with_only_the_run_buttons_off += !form().button(Form1Control::Command2).enabled &&
                                            !form().button(Form1Control::Command3).enabled &&
                                            form().button(Form1Control::Command5).enabled;
  };
  GeneralLog log;
  Command2_Click(*state, ui);
  const auto statements = log.statements();
  const auto texts = log.statement_texts();
  ASSERT_EQ(texts.size(), 12u);
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + 4),
            (Texts{"SELECT id from items WHERE ( itemtype=10)",
                   "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10",
                   "SELECT MAX(id) FROM lootdrop",
                   "INSERT INTO lootdrop (id,name) values (5001,\"lvl_01-10_CUSTOM_armour\")"}));
  EXPECT_EQ((std::set<std::string>{texts[4], texts[5]}),  // in the order drawn
            (std::set<std::string>{entry(5001, 1001), entry(5001, 1002)}));
  EXPECT_EQ(texts[6], "INSERT INTO loottable_entries values (77,5001,1,50,1,0)");
  EXPECT_EQ(texts[8], "INSERT INTO lootdrop (id,name) values (5002,\"lvl_01-10_CUSTOM_armour\")");
  EXPECT_EQ(texts[11], "INSERT INTO loottable_entries values (88,5002,1,50,1,0)");
  // Item query, NPC query, the walk (no statement of its own), one per lootdrop.
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 5u);
  const int expected_connection[12] = {0, 1, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4};
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(statements[i].connection, connections[expected_connection[i]]) << i;
  EXPECT_FALSE(state->db_connection->is_open());
  EXPECT_EQ(x2, (std::vector<double>{9800, 10152.5, 10505, 10857.5, 11210, 11210}));
  EXPECT_EQ(lx, (Texts{"Generating Items Lists", "Generating NPC Lists", "> 1/4", "> 2/4", "> 3/4",
                       "> 4/4", ">Ready"}));
  EXPECT_EQ(std::tuple(ui.process_events_calls, events_with_only_the_run_buttons_off, ui.messages),
            std::tuple(5, 5, Texts{"Completed!"}));
  expect_window_usable();
}

TEST_F(GenerationRun, OneRollPerNpcStrictlyBelowPOneNpcPerLoottable) {
  use_custom_list({7, 7, 7, 7, 8, 7});  // one id in most slots, never twice in a drop
  state->item_max_count = 2;
  form().select_op(9);  // "Drinks/Ales"
  form().set_text(Form1Control::lootdrop_percentx, "12.7");
  form().set_text(Form1Control::loottable_percentx, "50.5");
  // NPC 1 rolls exactly p and fails; NPC 2 shares its loottable and is not
  // tried; NPC 3 has none; NPC 4 fails only if NPC 3 used up a roll; NPC 5 passes.
  for (const auto& [text, p] : {std::pair{"100", 100}, std::pair{"25.9", 25}}) {
    reset_world();
    add_npcs({66, 66, 0, 88, 99});
    state->random.seed(seed_for_rolls(5, [p](const auto& r) {
      return r[0] == p && r[1] < p && r[2] < p && r[3] >= p && r[4] < p;
    }));
    form().set_text(Form1Control::perc_of_npcs, text);
    GeneralLog log;
    Command2_Click(*state, ui);
    const auto texts = log.statement_texts();
    ASSERT_EQ(texts.size(), 6u) << text;
    EXPECT_EQ(texts[2],
              "INSERT INTO lootdrop (id,name) values (1,\"lvl_01-10_CUSTOM_Ales/Drinks\")");
    EXPECT_EQ((std::set<std::string>{texts[3], texts[4]}),
              (std::set<std::string>{entry(1, 7, "12"), entry(1, 8, "12")}));
    EXPECT_EQ(texts[5], "INSERT INTO loottable_entries values (99,1,1,50,1,0)");
  }
  GeneralLog log;
  for (const char* text : {"1", "0", "none"}) {
    form().set_text(Form1Control::perc_of_npcs, text);
    Command2_Click(*state, ui);
  }
  EXPECT_EQ(log.statement_texts().size(), 3u);  // the NPC queries only
}

TEST_F(GenerationRun, EmptyRangesNullValuesAndManyNpcs) {
  // A custom list with "Weapon" selected: no item query, weapon names the drops.
  use_custom_list({2001, 2002, 2003});
  form().select_op(1);
  state->item_max_count = 0;
  // An NPC without id holds no loottable; one without loottable is never chosen.
  fixture_sql(
      "ALTER TABLE npc_types DROP PRIMARY KEY, MODIFY id INT NULL, "
      "MODIFY loottable_id INT UNSIGNED NULL");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (NULL,'a',15,5),"
      "(40000,'b',15,NULL),(40001,'c',15,5)");
  std::vector<long long> loottables(33000, 0);  // beyond the old limit of 32767
  loottables.back() = 9;
  add_npcs(loottables, 15);
  state->level_low = "";  // no range: nothing at all
  GeneralLog log;
  Command2_Click(*state, ui);
  EXPECT_EQ(std::tuple(log.statement_texts().size(), ui.messages.size()), std::tuple(0u, 0u));
  state->level_low = "01";  // no NPCs: completes with nothing written
  Command2_Click(*state, ui);
  EXPECT_EQ(std::tuple(log.statement_texts().size(), ui.messages),
            std::tuple(1u, Texts{"Using Your Custom Item List - [3 items]", "Completed!"}));
  expect_window_usable();
  state->level_low = "11";
  state->level_high = "20";
  std::string last_lx;
  ui.on_process_events = [&] { last_lx = form().lx(); };
  GeneralLog walk;
  Command2_Click(*state, ui);
  EXPECT_EQ(last_lx, "> 33003/33003");
  EXPECT_EQ(
      walk.statement_texts(),  // no items per drop: the drop and its link only
      (Texts{"SELECT id,loottable_id FROM npc_types WHERE level>=11 AND level<=20",
             "SELECT MAX(id) FROM lootdrop",
             "INSERT INTO lootdrop (id,name) values (1,\"lvl_11-20_CUSTOM_weapon\")",
             "INSERT INTO loottable_entries values (5,1,1,50,1,0)", "SELECT MAX(id) FROM lootdrop",
             "INSERT INTO lootdrop (id,name) values (2,\"lvl_11-20_CUSTOM_weapon\")",
             "INSERT INTO loottable_entries values (9,2,1,50,1,0)"}));
}

TEST_F(GenerationRun, RefusalsBeforeAnythingIsWritten) {
  add_npcs({77, 78, 79});
  struct Case {
    std::vector<double> list{};  // none: the armour items
    int per_drop = 2;
    std::string perc = "101", rules{}, message{};
  };
  const Case cases[] = {
      {.rules = " AND no_such_column=1",
       .message = "The item query failed - check the rules for wrong field names and syntax."},
      {.list = {0}, .message = "The custom item list holds no items."},
      {.list = {7, 7, 7},
       .message = "Only 1 different items to draw from, fewer than the 2 items per drop."},
      {.list = {1, 2, 3},
       .per_drop = 33,
       .message = "At most 32 items fit in one drop (33 items per drop asked for)."},
      {.list = {1, 2, 3},
       .perc = "40000",
       .message = "Percent of NPCs \"40000\" is out of range (-32768 to 32767)."},
  };
  for (const auto& c : cases) {
    state->custom_list_active = false;
    if (!c.list.empty()) use_custom_list(c.list);
    state->item_max_count = c.per_drop;
    form().set_text(Form1Control::perc_of_npcs, c.perc);
    state->item_rules = c.rules;
    GeneralLog log;
    Command2_Click(*state, ui);
    EXPECT_EQ(ui.messages.back(), c.message + "\r\nNothing was written.");
    for (const auto& text : log.statement_texts())
      EXPECT_EQ(text.find("npc_types"), std::string::npos) << c.message;
    expect_window_usable();
  }
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
}

TEST_F(GenerationRun, ChangesWhileEventsGoThroughAndARejectedStatement) {
  add_npcs({77, 78, 79});
  use_custom_list({1001, 1002});
  state->item_max_count = 2;
  // Before the second NPC the user picks another range, presses "GO" with a new
  // list and asks for one item per drop; before the third, a column goes away.
  int events = 0;
  ui.on_process_events = [&] {
    if (++events == 2) {
      state->level_low = "11";
      state->level_high = "20";
      use_custom_list({3001, 3002});
      state->item_max_count = 1;
    }
    if (events == 3) fixture_sql("ALTER TABLE lootdrop_entries DROP COLUMN multiplier");
  };
  Command2_Click(*state, ui);
  EXPECT_EQ(fixture_rows("SELECT d.id, name, COUNT(item_id), MIN(item_id) DIV 1000 FROM lootdrop d "
                         "LEFT JOIN lootdrop_entries ON lootdrop_id=d.id GROUP BY d.id"),
            (Rows{{"1", "lvl_01-10_CUSTOM_armour", "2", "1"},
                  {"2", "lvl_11-20_CUSTOM_armour", "1", "3"},
                  {"3", "lvl_11-20_CUSTOM_armour", "0", "NULL"}}));
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM loottable_entries"), "2");
  // The server's text is shown; nothing after the rejected statement runs.
  const std::string& message = ui.messages.back();
  EXPECT_EQ(message.rfind("The database rejected a statement", 0), 0u) << message;
  EXPECT_NE(message.find("Column count doesn't match value count"), std::string::npos) << message;
  expect_window_usable();
}

}  // namespace
}  // namespace vl::test
