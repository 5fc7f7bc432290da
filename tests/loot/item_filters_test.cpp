// The item filters: the rules window's handlers with the test query as it reaches
// the server, and the custom item list with the candidates a run then takes from it.

#include <tuple>

#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/custom_list.h"
#include "loot/rules.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

class RulesAndCustomList : public FilterWindowsTest {
 protected:
  void leave_box_with(const std::string& text) {
    r = text;
    rules::r_LostFocus(*state, *this);
  }
  std::vector<double> slots(std::size_t count) const {  // an empty slot reads -1
    std::vector<double> values;
    for (std::size_t i = 1; i <= count; ++i)
      values.push_back(state->custom_item_ids[i].value_or(-1));
    return values;
  }
  std::string command6() { return form().button(Form1Control::Command6).caption; }
  bool rules_enabled() { return form().button(Form1Control::Command5).enabled; }
};

TEST_F(RulesAndCustomList, RulesLoadOkIgnoreAndARejectedRule) {
  rules::Form_Load(*state, *this);
  rules::ok_Click(*this);
  EXPECT_EQ(std::tuple(r, state->item_rules, unloads),
            std::tuple("reqlevel<=10 AND ac<=5", " AND reqlevel<=10 AND ac<=5", 1));
  leave_box_with("ac>=20");
  leave_box_with("");  // an emptied box keeps the rules it had
  EXPECT_EQ(state->item_rules, " AND ac>=20");
  state->current_sql = "SELECT 1";
  rules::Command2_Click(*state, *this);  // Ignore
  EXPECT_EQ(std::tuple(state->item_rules, r, state->current_sql, unloads),
            std::tuple("", "", "", 2));
  leave_box_with("colour='red'");
  // The caption is back before the message; the rules go only after it.
  std::tuple<std::string, std::string> at_message;
  ui.on_message = [&](const std::string&) { at_message = {captions.back(), state->item_rules}; };
  rules::Command3_Click(*state, ui, *this);
  EXPECT_EQ(ui.messages, Texts{"Error in Query - check the field names and syntax"});
  EXPECT_EQ(at_message, std::tuple("Test Query", " AND colour='red'"));
  EXPECT_EQ(std::tuple(captions, state->item_rules, state->current_sql, r),
            std::tuple(Texts{"Working..", "Test Query"}, "", "", "colour='red'"));
}

TEST_F(RulesAndCustomList, RulesTestQueryCountsOverAFreshConnection) {
  fixture_sql(
      "INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES (1,'banded mail',10,5,3),"
      "(2,'mesh coif',10,8,5),(3,'plate helm',10,30,20),(4,'mesh shield',8,50,25)");
  const struct {
    int option;
    std::string rule, clause, count;
  } cases[] = {
      {0, "reqlevel<=10 AND ac<=5", "( itemtype=10) AND reqlevel<=10 AND ac<=5", "2"},
      // Lines stay whole; OR binds more loosely than the AND before it.
      {4, "name like 'banded%' OR\r\nname like 'mesh%'",
       "( itemtype=8) AND name like 'banded%' OR\r\nname like 'mesh%'", "2"},
  };
  for (const auto& c : cases) {
    form().select_op(c.option);
    leave_box_with(c.rule);
    captions.clear();
    GeneralLog log;
    rules::Command3_Click(*state, ui, *this);
    const std::string statement = "SELECT COUNT(id) from items WHERE " + c.clause;
    EXPECT_EQ(log.statement_texts(), Texts{statement});
    EXPECT_EQ(log.connections().size(), 1u);
    EXPECT_EQ(std::tuple(ui.messages.back(), captions, state->current_sql, state->item_rules, r),
              std::tuple("Query Passed: " + c.count + " items match criteria",
                         Texts{"Working..", "Test Query"}, statement, " AND " + c.rule, c.rule));
  }
}

TEST_F(RulesAndCustomList, GoStoresOneSlotPerLineAndARunCountsToTheFirstZero) {
  const struct {
    int shown, run_count;
    std::string text;
    std::vector<double> slots;
  } cases[] = {
      {3, 3, "1001\r\n1002\r\n1003\r\n", {1001, 1002, 1003, 0}},
      {2, 3, "1001\r\n1002\r\n1003", {1001, 1002, 1003, 0}},  // last line stored, not counted
      {3, 1, "1001\r\n\r\n1003\r\n", {1001, 0, 1003, 0}},     // a blank line ends the run's list
      {3, 0, "Item ID\r\n1001\r\n1002\r\n", {0, 1001, 1002, 0}},
      {0, 0, "", {0}},
      // Blanks skipped; only what follows a first TAB counts; no rounding; a lone LF stays.
      {8,
       2,
       "10 01\r\nAxe\t1234\r\n1234\tAxe\r\na\t12\t13\r\n12.5\r\n&H10\r\n\t 77 \r\n12\n34\r\n",
       {1001, 1234, 0, 1213, 12.5, 16, 77, 1234, 0}},
  };
  for (const auto& c : cases) {
    state->custom_item_ids[32767] = 55.0;  // an older, longer list
    unloads = 0;
    go(c.text);
    const std::string n = std::to_string(c.shown);
    EXPECT_EQ(std::tuple(slots(c.slots.size()), state->custom_item_ids[32767], ui.messages.back(),
                         command6(), state->custom_list_active, rules_enabled(), unloads),
              std::tuple(c.slots, 0.0, "Custom List Created [" + n + " items]",
                         "Custom Item List - [" + n + " items]", true, false, 1))
        << c.text;
    GeneralLog log;
    loot::load_candidate_items(*state, ui);
    EXPECT_EQ(
        std::tuple(ui.messages.back(), state->candidate_count, log.statement_texts()),
        std::tuple("Using Your Custom Item List - [" + std::to_string(c.run_count) + " items]",
                   c.run_count, Texts{}))
        << c.text;
  }
  EXPECT_EQ(form().lx(), "Using Custom List...");
}

TEST_F(RulesAndCustomList, ClearListNevermindAndRemoveItemList) {
  go("1001\r\n1002\r\n");
  list = "1001\r\n1002\r\n";
  custom_list::Command1_Click(*state, *this);  // Clear List: Rules stay disabled
  EXPECT_EQ(std::tuple(list, state->custom_list_active, command6(), rules_enabled(), unloads),
            std::tuple("", false, "Custom Item List - NOTHING", false, 1));
  EXPECT_EQ(std::tuple(slots(2), ui.messages.size()), std::tuple(std::vector{1001.0, 1002.0}, 1u));
  go("2001\r\n");
  custom_list::Command2_Click(*this);  // Nevermind
  EXPECT_EQ(std::tuple(unloads, state->custom_list_active, command6()),
            std::tuple(3, true, "Custom Item List - [1 items]"));
  std::tuple<std::string, bool, bool> at_message;  // the caption changes last
  ui.on_message = [&](const std::string&) {
    at_message = {command6(), state->custom_list_active, rules_enabled()};
  };
  custom_list::clearlist_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Custom List Deleted!");
  EXPECT_EQ(at_message, std::tuple("Custom Item List - [1 items]", false, true));
  EXPECT_EQ(std::tuple(command6(), slots(2)),
            std::tuple("Custom Item List - NOTHING", std::vector{0.0, 0.0}));
}

TEST_F(RulesAndCustomList, ListCapacityIs32767Lines) {
  std::string full;
  for (int id = 1; id <= 32767; ++id) full += std::to_string(id) + "\r\n";
  go(full + "\r\n \r\n");                  // blank lines behind a full list need no slot
  loot::load_candidate_items(*state, ui);  // no 0 slot behind it: every slot counts
  EXPECT_EQ(ui.messages, (Texts{"Custom List Created [32769 items]",
                                "Using Your Custom Item List - [32767 items]"}));
  // One line more is refused before anything changes; the window stays open.
  custom_list::clearlist_Click(*state, ui);
  go(full + "32768\r\n");
  EXPECT_EQ(ui.messages.back(),
            "The list has 32768 lines, but at most 32767 fit. Shorten it and press GO again;"
            " nothing was changed.");
  EXPECT_EQ(std::tuple(state->custom_list_active, command6(), rules_enabled(), unloads, slots(1)),
            std::tuple(false, "Custom Item List - NOTHING", true, 1, std::vector{0.0}));
}

}  // namespace
}  // namespace vl::test
