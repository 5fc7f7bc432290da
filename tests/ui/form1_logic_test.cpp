// Start-up and the main window's handlers, run over the program state alone.

#include "ui/form1_logic.h"

#include "ui_test_support.h"

namespace vl {
namespace {

using test::RecordingUi;

TEST(FormLoad, SetsTheStartStateWithoutTouchingTheDatabase) {
  RecordingUi ui;
  const test::GeneralLog log;
  auto state = std::make_unique<ProgramState>();
  state->level_low = state->level_high = "xx";
  ASSERT_TRUE(form1::Form_Load(*state, ui, test::test_db_ini()));

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->form1.level_entries(),
            (std::vector<std::string>{"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-99",
                                      "65-99"}));
  EXPECT_EQ(state->form1.level_selected(), -1);
  EXPECT_EQ(state->level_low + "-" + state->level_high, "01-10");
  EXPECT_EQ(
      state->form1.statistical(),
      "armour\r\nweapon\r\nhigher lvl misc\r\nAll lvl misc\r\nshields\r\nGeneral Food Items\r\n"
      "Spells/Songs\r\npotions\r\nDrums/Arrows/Crafted Rings\r\nAles/Drinks\r\n"
      "idols charms trinkets\r\nhigh level augment items/Solvents\r\n");
  EXPECT_EQ(state->item_max_count, 5);
  EXPECT_EQ(state->db_host, test::db_settings().host);
  EXPECT_EQ(state->form1.lx(), ">READY");
  EXPECT_EQ(state->db_connection, nullptr);
  EXPECT_TRUE(log.connections().empty());
}

TEST(FormLoad, WithoutAUsableDbIniShowsOnlyTheMessageAndMakesNoWindow) {
  for (const std::string contents : {"", "host=h\npassword=\ndatabase=d\n"}) {
    RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    EXPECT_EQ(ui::load_main_window(*state, ui, test::write_ini(contents)), nullptr);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"DB.INI Invalid or Missing"}) << contents;
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
}

TEST(Handlers, ItemMaxChangeAndLevelClick) {
  RecordingUi ui;
  auto state = std::make_unique<ProgramState>();
  ASSERT_TRUE(form1::Form_Load(*state, ui, test::test_db_ini()));
  struct Case {
    std::string typed, text_after;
    int count;
  };
  const Case cases[] = {{"150", "100", 100}, {"100", "100", 100}, {"101", "100", 100},
                        {"", "5", 5},        {"abc", "5", 5},     {"7q", "5", 5},
                        {"2.5", "2.5", 2},   {"3.5", "3.5", 4},   {"0", "0", 0},
                        {"-3", "-3", -3},    {"-40000", "5", 5}};
  for (const Case& c : cases) {
    state->item_max_count = 77;
    state->form1.set_text(Form1Control::item_max, c.typed);
    EXPECT_EQ(state->form1.text(Form1Control::item_max), c.text_after) << '"' << c.typed << '"';
    EXPECT_EQ(state->item_max_count, c.count) << '"' << c.typed << '"';
  }

  // Writing the box raises the handler again, nested, for the new text.
  std::vector<std::string> texts_seen;
  const auto handler = state->form1.on_text_changed;
  state->form1.on_text_changed = [&](Form1Control box) {
    texts_seen.push_back(state->form1.text(box));
    handler(box);
  };
  state->form1.set_text(Form1Control::item_max, "150");
  state->form1.set_text(Form1Control::item_max, "x");
  EXPECT_EQ(texts_seen, (std::vector<std::string>{"150", "100", "x", "5"}));

  const char* const bounds[8] = {"01 10", "11 20", "21 30", "31 40",
                                 "41 50", "51 60", "61 99", "65 99"};
  for (int i = 7; i >= 0; --i) {
    state->form1.select_level(i);
    form1::level_Click(*state);
    EXPECT_EQ(state->level_low + " " + state->level_high, bounds[i]) << i;
  }
}

}  // namespace
}  // namespace vl
