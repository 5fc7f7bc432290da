// Start-up and the main window's handlers, run over the program state alone.

#include "ui/form1_logic.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <string>
#include <utility>
#include <vector>

#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/program.h"
#include "ui_test_support.h"

namespace vl {
namespace {

using test::RecordingUi;

const char* const kStatisticalText =
    "armour\r\nweapon\r\nhigher lvl misc\r\nAll lvl misc\r\nshields\r\nGeneral Food Items\r\n"
    "Spells/Songs\r\npotions\r\nDrums/Arrows/Crafted Rings\r\nAles/Drinks\r\n"
    "idols charms trinkets\r\nhigh level augment items/Solvents\r\n";

TEST(FormLoad, SetsTheStartStateWithoutTouchingTheDatabase) {
  test::TempFolder folder;
  folder.write("db.ini", test::test_db_ini());
  RecordingUi ui;
  auto state = std::make_unique<ProgramState>();
  state->level_low = "xx";
  state->level_high = "yy";
  const test::GeneralLog log;

  ASSERT_TRUE(form1::Form_Load(*state, ui, folder.file("db.ini")));
  auto window = std::make_unique<ui::Form1Window>(*state, ui);

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->form1.level_entries(),
            (std::vector<std::string>{"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-99",
                                      "65-99"}));
  EXPECT_EQ(state->form1.level_selected(), -1);
  EXPECT_EQ(state->level_low, "01");
  EXPECT_EQ(state->level_high, "10");
  EXPECT_EQ(state->stats_category_words[7], "potions");
  EXPECT_EQ(state->stats_category_words[9], "Ales/Drinks");
  EXPECT_EQ(state->stats_category_words[10], "idols charms trinkets");
  EXPECT_EQ(state->form1.statistical(), kStatisticalText);
  EXPECT_EQ(state->item_max_count, 5);
  EXPECT_EQ(state->db_host, test::db_settings().host);
  EXPECT_EQ(state->form1.op_selected(), 0);
  EXPECT_EQ(state->form1.lx(), ">READY");
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(state->form1.lvls(i), "") << i;

  EXPECT_EQ(state->db_connection, nullptr);
  EXPECT_TRUE(log.connections().empty());
}

TEST(FormLoad, TakesItemsPerDropFromTheTextRoundingHalvesToEven) {
  test::TempFolder folder;
  folder.write("db.ini", test::test_db_ini());
  for (const auto& [text, expected] : std::vector<std::pair<std::string, int>>{
           {"6.5", 6}, {"7.5", 8}, {" 1 2", 12}, {"9x", 9}, {"x", 0}}) {
    RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    state->form1.set_text(Form1Control::item_max, text);  // no handler before the load
    ASSERT_TRUE(form1::Form_Load(*state, ui, folder.file("db.ini")));
    EXPECT_EQ(state->item_max_count, expected) << text;
  }
}

TEST(FormLoad, WithoutAUsableDbIniShowsOnlyTheMessageAndMakesNoWindow) {
  test::TempFolder folder;
  for (const std::string& contents : {std::string(), std::string("host=h\npassword=\ndatabase=d\n"),
                                      std::string("Host=h\npassword=p\ndatabase=d\n")}) {
    if (!contents.empty()) folder.write("db.ini", contents);
    RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    const auto window = ui::load_main_window(*state, ui, folder.file("db.ini"));
    EXPECT_EQ(window, nullptr) << contents;
    EXPECT_EQ(ui.messages, std::vector<std::string>{"DB.INI Invalid or Missing"}) << contents;
    EXPECT_EQ(state->form1.statistical(), "");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
}

TEST(ItemMaxChange, FollowsTheTextClampsAndResets) {
  RecordingUi ui;
  auto state = test::loaded_state(ui);
  struct Case {
    std::string typed, text_after;
    int count;
  };
  const std::vector<Case> cases = {{"150", "100", 100}, {"100", "100", 100}, {"", "5", 5},
                                   {"abc", "5", 5},     {"7q", "5", 5},      {"2.5", "2.5", 2},
                                   {"3.5", "3.5", 4},   {"0", "0", 0},       {"-3", "-3", -3},
                                   {"12", "12", 12},    {"1e3", "100", 100}, {"-40000", "5", 5},
                                   {"101", "100", 100}};
  for (const Case& c : cases) {
    state->item_max_count = 77;
    state->form1.set_text(Form1Control::item_max, c.typed);
    EXPECT_EQ(state->form1.text(Form1Control::item_max), c.text_after) << '"' << c.typed << '"';
    EXPECT_EQ(state->item_max_count, c.count) << '"' << c.typed << '"';
  }
}

TEST(ItemMaxChange, ReEntersItselfWhenItWritesTheBox) {
  RecordingUi ui;
  auto state = test::loaded_state(ui);
  std::vector<std::string> texts_seen;
  const auto handler = state->form1.on_text_changed;
  state->form1.on_text_changed = [&](Form1Control box) {
    texts_seen.push_back(state->form1.text(box));
    handler(box);
  };
  state->form1.set_text(Form1Control::item_max, "150");
  EXPECT_EQ(texts_seen, (std::vector<std::string>{"150", "100"}));
  texts_seen.clear();
  state->form1.set_text(Form1Control::item_max, "x");
  EXPECT_EQ(texts_seen, (std::vector<std::string>{"x", "5"}));
  EXPECT_EQ(state->item_max_count, 5);
  // The other boxes have no change handler.
  state->form1.set_text(Form1Control::perc_of_npcs, "abc");
  EXPECT_EQ(state->form1.text(Form1Control::perc_of_npcs), "abc");
}

TEST(LevelClick, TakesTheBoundsFromTheSelectedEntry) {
  RecordingUi ui;
  auto state = test::loaded_state(ui);
  const std::vector<std::pair<std::string, std::string>> bounds = {
      {"01", "10"}, {"11", "20"}, {"21", "30"}, {"31", "40"},
      {"41", "50"}, {"51", "60"}, {"61", "99"}, {"65", "99"}};
  for (int i = 7; i >= 0; --i) {
    state->form1.select_level(i);
    form1::level_Click(*state);
    EXPECT_EQ(state->level_low, bounds[i].first) << i;
    EXPECT_EQ(state->level_high, bounds[i].second) << i;
  }
  state->form1.select_level(-1);
  form1::level_Click(*state);
  EXPECT_EQ(state->level_low, "");
  EXPECT_EQ(state->level_high, "");
}

}  // namespace
}  // namespace vl
