// The custom item list: "GO" turning the text into slots, "Clear List",
// "Nevermind" and "Remove Item List", and what a generation run then reads.

#include "loot/custom_list.h"

#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

// The window's controls without a window.
class ListBox : public custom_list::ListControls {
 public:
  std::string customlist_text() const override { return text; }
  void set_customlist_text(const std::string& new_text) override { text = new_text; }
  void unload() override { ++unloads; }

  std::string text;
  int unloads = 0;
};

class CustomListTest : public LootTest {
 protected:
  void go(const std::string& text) {
    window.text = text;
    custom_list::ok_Click(*state, ui, window);
  }
  double slot(int index) const {
    const auto& value = state->custom_item_ids[index];
    EXPECT_TRUE(value.has_value()) << "slot " << index << " is empty";
    return value.value_or(-1);
  }
  std::string command6() { return form().button(Form1Control::Command6).caption; }
  bool rules_enabled() { return form().button(Form1Control::Command5).enabled; }

  ListBox window;
};

TEST_F(CustomListTest, ThreeIdsEachEndingWithALineBreak) {
  state->custom_item_ids[0] = 7.0;   // never touched
  state->custom_item_ids[9] = 55.0;  // an older, longer list
  go("1001\r\n1002\r\n1003\r\n");

  EXPECT_TRUE(state->custom_list_active);
  EXPECT_EQ(slot(1), 1001);
  EXPECT_EQ(slot(2), 1002);
  EXPECT_EQ(slot(3), 1003);
  EXPECT_EQ(slot(4), 0);
  EXPECT_EQ(slot(9), 0);
  EXPECT_EQ(slot(32767), 0);
  EXPECT_EQ(state->custom_item_ids[0], 7.0);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Created [3 items]"});
  EXPECT_EQ(command6(), "Custom Item List - [3 items]");
  EXPECT_FALSE(rules_enabled());
  EXPECT_EQ(window.unloads, 1);

  // The run takes its candidates from the list and sends nothing to the server.
  GeneralLog log;
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(state->candidate_count, 3);
  EXPECT_EQ(ui.messages.back(), "Using Your Custom Item List - [3 items]");
  EXPECT_TRUE(log.statement_texts().empty());
}

TEST_F(CustomListTest, LastLineWithoutLineBreakIsStoredButNotCounted) {
  go("1001\r\n1002\r\n1003");
  EXPECT_EQ(slot(3), 1003);
  EXPECT_EQ(slot(4), 0);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Created [2 items]"});
  EXPECT_EQ(command6(), "Custom Item List - [2 items]");
  EXPECT_EQ(loot::custom_list_length(*state), 3);
}

TEST_F(CustomListTest, BlankAndHeadingLinesTakeASlotAndEndTheRunsList) {
  go("1001\r\n\r\n1003\r\n");
  EXPECT_EQ(slot(1), 1001);
  EXPECT_EQ(slot(2), 0);
  EXPECT_EQ(slot(3), 1003);
  EXPECT_EQ(command6(), "Custom Item List - [3 items]");
  EXPECT_EQ(loot::custom_list_length(*state), 1);

  go("Item ID\r\n1001\r\n1002\r\n");
  EXPECT_EQ(slot(1), 0);
  EXPECT_EQ(slot(2), 1001);
  EXPECT_EQ(ui.messages.back(), "Custom List Created [3 items]");
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(state->candidate_count, 0);
}

TEST_F(CustomListTest, EachLineReadsAsANumber) {
  go("10 01\r\n"              // blanks inside are skipped
     "Rusty Sword\t1234\r\n"  // name, TAB, id: the id
     "1234\tRusty Sword\r\n"  // id, TAB, name: no number after the TAB
     "a\t12\t13\r\n"          // only the first TAB splits; later ones are skipped
     "12.5\r\n"               // not rounded
     "&H10\r\n"
     "\t 77 \r\n");
  EXPECT_EQ(slot(1), 1001);
  EXPECT_EQ(slot(2), 1234);
  EXPECT_EQ(slot(3), 0);
  EXPECT_EQ(slot(4), 1213);
  EXPECT_EQ(slot(5), 12.5);
  EXPECT_EQ(slot(6), 16);
  EXPECT_EQ(slot(7), 77);
  EXPECT_EQ(command6(), "Custom Item List - [7 items]");

  // A lone LF does not split: it is skipped inside the number.
  go("12\n34\r\n");
  EXPECT_EQ(slot(1), 1234);
  EXPECT_EQ(slot(2), 0);
}

TEST_F(CustomListTest, EmptyTextMakesAnEmptyActiveList) {
  state->custom_item_ids[1] = 1001.0;
  go("");
  EXPECT_TRUE(state->custom_list_active);
  EXPECT_EQ(slot(1), 0);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Created [0 items]"});
  EXPECT_EQ(command6(), "Custom Item List - [0 items]");
  EXPECT_FALSE(rules_enabled());
}

TEST_F(CustomListTest, ClearListLowersTheFlagAndLeavesRulesDisabled) {
  go("1001\r\n1002\r\n");
  window.text = "1001\r\n1002\r\n";
  custom_list::Command1_Click(*state, window);
  EXPECT_EQ(window.text, "");
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(command6(), "Custom Item List - NOTHING");
  EXPECT_FALSE(rules_enabled());
  EXPECT_EQ(slot(1), 1001);  // the slots stay as they were
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(window.unloads, 1);  // only GO's

  // A run goes back to the category's item query.
  loot::Generate_item_class_sql(*state);
  GeneralLog log;
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(log.statement_texts(),
            std::vector<std::string>{"SELECT id from items WHERE ( itemtype=10)"});

  // Nevermind closes and changes nothing.
  go("2001\r\n");
  custom_list::Command2_Click(window);
  EXPECT_EQ(window.unloads, 3);
  EXPECT_TRUE(state->custom_list_active);
  EXPECT_EQ(command6(), "Custom Item List - [1 items]");
}

TEST_F(CustomListTest, RemoveItemListClearsTheSlotsAndEnablesRules) {
  go("1001\r\n1002\r\n");
  std::string caption_at_message;
  bool active_at_message = true, rules_at_message = false;
  ui.on_message = [&](const std::string&) {
    caption_at_message = command6();
    active_at_message = state->custom_list_active;
    rules_at_message = rules_enabled();
  };
  custom_list::clearlist_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Custom List Deleted!");
  EXPECT_EQ(caption_at_message, "Custom Item List - [2 items]");  // caption changes last
  EXPECT_FALSE(active_at_message);
  EXPECT_TRUE(rules_at_message);
  EXPECT_EQ(command6(), "Custom Item List - NOTHING");
  EXPECT_EQ(slot(1), 0);
  EXPECT_EQ(slot(2), 0);
  EXPECT_TRUE(rules_enabled());
  EXPECT_FALSE(state->custom_list_active);
}

TEST_F(CustomListTest, CapacityIs32767Lines) {
  std::string full;
  for (int id = 1; id <= 32767; ++id) full += std::to_string(id) + "\r\n";

  // Every slot used, blank lines behind: taken whole, and the run uses all.
  go(full + "\r\n \r\n");
  EXPECT_EQ(ui.messages.back(), "Custom List Created [32769 items]");
  EXPECT_EQ(slot(32767), 32767);
  EXPECT_EQ(loot::custom_list_length(*state), 32767);

  // One line more is refused before anything changes; the window stays open.
  custom_list::clearlist_Click(*state, ui);
  window.unloads = 0;
  go(full + "32768\r\n");
  EXPECT_EQ(ui.messages.back(),
            "The list has 32768 lines, but at most 32767 fit. Shorten it and press GO again;"
            " nothing was changed.");
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(slot(1), 0);
  EXPECT_EQ(command6(), "Custom Item List - NOTHING");
  EXPECT_TRUE(rules_enabled());
  EXPECT_EQ(window.unloads, 0);
  EXPECT_EQ(custom_list::lines_needing_slots(full + "32768"), 32768);
  EXPECT_EQ(custom_list::lines_needing_slots(""), 0);
  EXPECT_EQ(custom_list::lines_needing_slots("1\r\n\r\n"), 1);
}

}  // namespace
}  // namespace vl::test
