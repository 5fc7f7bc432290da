// The custom item list: "GO" turning the text into slots, "Clear List",
// "Nevermind" and "Remove Item List", and the list a generation run then reads.

#include "loot/custom_list.h"

#include <tuple>

#include "loot/candidates.h"
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
  std::vector<double> slots(std::size_t count) const {  // an empty slot reads -1
    std::vector<double> values;
    for (std::size_t i = 1; i <= count; ++i)
      values.push_back(state->custom_item_ids[i].value_or(-1));
    return values;
  }
  std::string command6() { return form().button(Form1Control::Command6).caption; }
  bool rules_enabled() { return form().button(Form1Control::Command5).enabled; }
  ListBox window;
};

TEST_F(CustomListTest, GoStoresOneSlotPerLine) {
  const struct {
    std::string text;
    std::vector<double> slots;
    int shown, run_length;
  } cases[] = {
      {"1001\r\n1002\r\n1003\r\n", {1001, 1002, 1003, 0}, 3, 3},
      {"1001\r\n1002\r\n1003", {1001, 1002, 1003, 0}, 2, 3},  // last line stored, not counted
      {"1001\r\n\r\n1003\r\n", {1001, 0, 1003, 0}, 3, 1},     // a blank line ends the run's list
      {"Item ID\r\n1001\r\n1002\r\n", {0, 1001, 1002, 0}, 3, 0},
      {"", {0}, 0, 0},
      // Blanks inside are skipped; after a TAB only what follows counts (a name
      // gives 0, later TABs are skipped); no rounding; &H; a lone LF does not split.
      {"10 01\r\nRusty Sword\t1234\r\n1234\tRusty Sword\r\na\t12\t13\r\n12.5\r\n&H10\r\n"
       "\t 77 \r\n12\n34\r\n",
       {1001, 1234, 0, 1213, 12.5, 16, 77, 1234, 0},
       8,
       2},
  };
  state->custom_item_ids[0] = 7.0;  // never touched
  for (const auto& c : cases) {
    state->custom_item_ids[32767] = 55.0;  // an older, longer list
    form().set_enabled(Form1Control::Command5, true);
    const int unloads = window.unloads;
    go(c.text);
    const std::string n = std::to_string(c.shown);
    EXPECT_EQ(slots(c.slots.size()), c.slots) << c.text;
    EXPECT_EQ(state->custom_item_ids[32767], 0.0);
    EXPECT_EQ(ui.messages.back(), "Custom List Created [" + n + " items]");
    EXPECT_EQ(command6(), "Custom Item List - [" + n + " items]");
    EXPECT_EQ(loot::custom_list_length(*state), c.run_length) << c.text;
    EXPECT_TRUE(state->custom_list_active);
    EXPECT_FALSE(rules_enabled());
    EXPECT_EQ(window.unloads, unloads + 1);
  }
  EXPECT_EQ(state->custom_item_ids[0], 7.0);
}

TEST_F(CustomListTest, ClearListNevermindAndRemoveItemList) {
  go("1001\r\n1002\r\n");
  window.text = "1001\r\n1002\r\n";
  custom_list::Command1_Click(*state, window);  // Clear List: Rules stay disabled
  EXPECT_EQ(std::tuple(window.text, state->custom_list_active, command6(), rules_enabled()),
            std::tuple("", false, "Custom Item List - NOTHING", false));
  EXPECT_EQ(slots(2), (std::vector<double>{1001, 1002}));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(window.unloads, 1);  // only GO's

  go("2001\r\n");
  custom_list::Command2_Click(window);  // Nevermind
  EXPECT_EQ(window.unloads, 3);
  EXPECT_TRUE(state->custom_list_active);
  EXPECT_EQ(command6(), "Custom Item List - [1 items]");

  std::tuple<std::string, bool, bool> at_message;  // the caption changes last
  ui.on_message = [&](const std::string&) {
    at_message = {command6(), state->custom_list_active, rules_enabled()};
  };
  custom_list::clearlist_Click(*state, ui);
  EXPECT_EQ(ui.messages.back(), "Custom List Deleted!");
  EXPECT_EQ(at_message, std::tuple("Custom Item List - [1 items]", false, true));
  EXPECT_EQ(command6(), "Custom Item List - NOTHING");
  EXPECT_EQ(slots(2), (std::vector<double>{0, 0}));
}

TEST_F(CustomListTest, CapacityIs32767Lines) {
  std::string full;
  for (int id = 1; id <= 32767; ++id) full += std::to_string(id) + "\r\n";
  go(full + "\r\n \r\n");  // blank lines behind a full list need no slot
  EXPECT_EQ(ui.messages.back(), "Custom List Created [32769 items]");
  EXPECT_EQ(loot::custom_list_length(*state), 32767);

  // One line more is refused before anything changes; the window stays open.
  custom_list::clearlist_Click(*state, ui);
  go(full + "32768\r\n");
  EXPECT_EQ(ui.messages.back(),
            "The list has 32768 lines, but at most 32767 fit. Shorten it and press GO again;"
            " nothing was changed.");
  EXPECT_EQ(std::tuple(state->custom_list_active, command6(), rules_enabled(), window.unloads),
            std::tuple(false, "Custom Item List - NOTHING", true, 1));
  EXPECT_EQ(slots(1), std::vector<double>{0});
}

}  // namespace
}  // namespace vl::test
