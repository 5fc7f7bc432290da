// Runs the generation refuses or stops, and changes made while it lets events through.

#include "loot/generation_run.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::Command2_Click;

class RunFailures : public LootTest {
 protected:
  void SetUp() override {
    LootTest::SetUp();
    add_npcs({77, 78, 79});
    form().set_text(Form1Control::perc_of_npcs, "101");
  }
};

TEST_F(RunFailures, RefusalsBeforeAnythingIsWritten) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { state->item_rules = " AND no_such_column=1"; },
       "The item query failed - check the rules for wrong field names and syntax."},
      {[&] { state->item_rules = ""; }, "No items match the selected category and rules."},
      {[&] { use_custom_list({}); }, "The custom item list holds no items."},
      {[&] {
         use_custom_list({7, 7, 7});
       },
       "Only 1 different items to draw from, fewer than the 2 items per drop."},
      {[&] {
         use_custom_list({1, 2, 3});
         state->item_max_count = 33;
       },
       "At most 32 items fit in one drop (33 items per drop asked for)."},
      {[&] {
         use_custom_list({1, 5e9});
       },
       "The candidate list holds 5000000000, which is no valid item id."},
      {[&] {
         use_custom_list({1, 2, 3});
         form().set_text(Form1Control::perc_of_npcs, "40000");
       },
       "Percent of NPCs \"40000\" is out of range (-32768 to 32767)."},
      {[&] {
         use_custom_list({1, 2, 3});
         form().set_text(Form1Control::perc_of_npcs, "101");
         form().set_text(Form1Control::lootdrop_percentx, "1E999");
       },
       "Chance per item \"1E999\" is no usable number."},
  };
  for (const auto& [arrange, message] : cases) {
    state->custom_list_active = false;
    state->item_max_count = 2;
    arrange();
    GeneralLog log;
    Command2_Click(*state, ui);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back(), message + "\r\nNothing was written.");
    for (const auto& text : log.statement_texts())
      EXPECT_EQ(text.find("npc_types"), std::string::npos) << message;
    EXPECT_EQ(count_of("lootdrop") + count_of("lootdrop_entries") + count_of("loottable_entries"),
              "000");
    expect_window_usable();
  }
}

TEST_F(RunFailures, RejectedStatementStopsTheRunWithTheServerText) {
  use_custom_list({1001, 1002});
  state->item_max_count = 1;
  fixture_sql("ALTER TABLE lootdrop_entries DROP COLUMN multiplier");
  GeneralLog log;
  Command2_Click(*state, ui);

  ASSERT_EQ(ui.messages.size(), 2u);
  const std::string& message = ui.messages[1];
  EXPECT_EQ(message.rfind("The database rejected a statement", 0), 0u) << message;
  EXPECT_NE(message.find("Column count doesn't match value count"), std::string::npos) << message;
  EXPECT_NE(message.find("INSERT INTO lootdrop_entries values (1,"), std::string::npos) << message;
  // What came before the rejected statement stays; nothing after it runs.
  EXPECT_EQ(fixture_rows("SELECT id,name FROM lootdrop"), (Rows{{"1", "lvl_01-10_CUSTOM_armour"}}));
  EXPECT_EQ(count_of("loottable_entries"), "0");
  EXPECT_EQ(log.statement_texts().size(), 4u);
  EXPECT_FALSE(state->db_connection->is_open());
  expect_window_usable();
}

TEST_F(RunFailures, ChangesWhileEventsGoThrough) {
  use_custom_list({1001, 1002});
  state->item_max_count = 2;
  // Before the second NPC the user picks another range and presses "GO" with a
  // new list; before the third, asks for more items than the list can give.
  int events = 0;
  ui.on_process_events = [&] {
    if (++events == 2) {
      state->level_low = "11";
      state->level_high = "20";
      use_custom_list({3001, 3002});
    }
    if (events == 3) state->item_max_count = 3;
  };
  Command2_Click(*state, ui);

  EXPECT_EQ(fixture_rows("SELECT d.id, d.name, MIN(item_id), MAX(item_id), COUNT(*) FROM lootdrop "
                         "d JOIN lootdrop_entries e ON e.lootdrop_id=d.id GROUP BY d.id"),
            (Rows{{"1", "lvl_01-10_CUSTOM_armour", "1001", "1002", "2"},
                  {"2", "lvl_11-20_CUSTOM_armour", "3001", "3002", "2"}}));
  EXPECT_EQ(count_of("loottable_entries"), "2");
  EXPECT_EQ(ui.messages.back(),
            "Only 2 different items to draw from, fewer than the 3 items per drop.\r\n"
            "The run was stopped before this drop; the drops written before it stay.");
  expect_window_usable();
}

}  // namespace
}  // namespace vl::test
