// The main window: its controls as laid out, and how it follows the model and
// the user.

#include "ui/form1_window.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "db/database.h"
#include "ui_test_support.h"

namespace vl {
namespace {

class Form1WindowTest : public test::MainWindowTest {
 protected:
  QString text_of(const std::string& name) { return control(name)->property("text").toString(); }
};

TEST_F(Form1WindowTest, ControlsAtStartUp) {
  EXPECT_EQ(main->windowTitle(), "Vandril Like LOOT maker ver 1.1.0");
  EXPECT_EQ(main->size(), QSize(776, 620));
  EXPECT_TRUE(main->windowFlags().testFlag(Qt::FramelessWindowHint));
  for (int size : {16, 32, 48}) {  // the installed icon files are the icon the window shows
    const QImage file(QStringLiteral(VL_SOURCE_DIR "/ui/icons/vandril_loot-%1.png").arg(size));
    EXPECT_EQ(file.convertToFormat(QImage::Format_ARGB32),
              main->windowIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32))
        << size;
  }

  struct Expected {
    std::string name;
    QRect rect;
    const char* text;  // nullptr: the control shows no text
  };
  const char* const heading =
      "    01-10         11-20          21-30          31-40          41-50          51-60    "
      "     61-99        65-99";
  std::vector<Expected> expected = {
      {"Label1", {16, 24, 89, 25}, "NPC LEVEL"},
      {"level", {8, 48, 89, 213}, nullptr},
      {"Command1", {8, 264, 89, 73}, "Delete ALL Custom Loot Drops For SELECTED Levels"},
      {"Label2", {128, 24, 137, 25}, "LOOT CATEGORY"},
      {"Label4", {280, 48, 113, 33}, "% each NPC gets items"},
      {"perc_of_npcs", {312, 80, 49, 19}, "25"},
      {"Shape1", {304, 120, 385, 65}, nullptr},
      {"Label9", {296, 136, 89, 17}, "loottable %"},
      {"loottable_percentx", {320, 152, 49, 19}, "50"},
      {"Label3", {384, 136, 129, 17}, "Number of Items/drop"},
      {"item_max", {424, 152, 33, 19}, "5"},
      {"Label7", {512, 136, 177, 17}, "lootdrop % (per item roll)"},
      {"lootdrop_percentx", {560, 152, 49, 19}, "10"},
      {"Command2", {432, 48, 105, 49}, "Execute"},
      {"lx", {624, 48, 137, 25}, ">READY"},
      {"Command5", {536, 192, 105, 17}, "Rules"},
      {"Command6", {432, 232, 177, 17}, "Custom Item List - NOTHING"},
      {"clearlist", {616, 232, 105, 17}, "Remove Item List"},
      {"Label5", {384, 280, 249, 25}, "# NPC with CUSTOM DROPS by LEVEL"},
      {"Command3", {120, 336, 105, 17}, "Show Stats"},
      {"Label6", {192, 352, 553, 17}, heading},
      {"statistical", {8, 368, 233, 209}, nullptr},
      {"Command4", {552, 600, 201, 17}, "Repair NPC's Without Lootdrops"},
      {"Label8", {208, 3, 89, 17}, "Ver 1.8.5"},
      {"quit", {744, 0, 17, 17}, nullptr},
      {"op0", {112, 40, 89, 33}, "Armour"},
      {"op1", {112, 64, 89, 33}, "Weapon"},
      {"op2", {112, 88, 153, 33}, "Higher LVL Misc"},
      {"op3", {112, 112, 129, 33}, "All LVL Misc"},
      {"op4", {112, 136, 89, 33}, "Shields"},
      {"op5", {112, 160, 161, 33}, "General Food Items"},
      {"op6", {112, 184, 145, 33}, "Spells/Songs"},
      {"op7", {112, 208, 89, 33}, "Potions"},
      {"op8", {112, 232, 233, 33}, "Drums/Arrows/Crafted Rings"},
      {"op9", {112, 256, 153, 33}, "Drinks/Ales"},
      {"op10", {112, 280, 217, 33}, "idols,charms,trinkets"},
      {"op11", {112, 304, 289, 33}, "high level augment items/Solvents"}};
  const int column_x[8] = {200, 264, 336, 408, 480, 552, 624, 688};
  for (int i = 0; i < 8; ++i) {
    expected.push_back(
        {"lvls" + std::to_string(i + 1), {column_x[i], 368, i >= 1 && i <= 5 ? 57 : 49, 225}, ""});
  }
  for (const auto& [name, rect, text] : expected) {
    if (control(name) == nullptr) continue;
    EXPECT_EQ(control(name)->geometry(), rect) << name;
    if (text != nullptr) {
      EXPECT_EQ(text_of(name), text) << name;
    }
  }

  EXPECT_TRUE(control<QRadioButton>("op0")->isChecked());
  EXPECT_TRUE(control<QListWidget>("level")->selectedItems().isEmpty());
  // The model keeps CR LF; the label shows the twelve words on twelve lines.
  const QStringList lines = text_of("statistical").split('\n');
  ASSERT_EQ(lines.size(), 13);
  EXPECT_EQ(lines[7], "potions");

  std::vector<std::string> order = {"level", "Command1", "perc_of_npcs", "Command4"};
  for (int i = 0; i < 12; ++i) order.push_back("op" + std::to_string(i));
  order.insert(order.end(), {"Command5", "Command2", "Command3", "Command6", "clearlist",
                             "item_max", "lootdrop_percentx", "loottable_percentx"});
  EXPECT_EQ(test::tab_order(control("level"), order.size()), order);

  const QString percent_tip =
      "From selected npc level range, what % of those get the selected custom loot";
  for (const char* name : {"Label4", "Label9", "Label7"})
    EXPECT_EQ(control(name)->toolTip(), percent_tip);
  EXPECT_EQ(control("Label3")->toolTip(),
            "What is the chance all npc's in selected level range will drop this loot");
  EXPECT_EQ(control("Command1")->toolTip(),
            "Deletes custom loot from selected level ranges. Hit refresh to see updated stats.");
  EXPECT_EQ(control("Command4")->toolTip(),
            "Repairs all non-existant drops with basic low level stuff - Not Reversible!");
}

TEST_F(Form1WindowTest, FollowsTheUserAndTheModel) {
  control<QRadioButton>("op3")->click();
  EXPECT_EQ(state->form1.op_selected(), 3);
  state->form1.select_op(11);
  EXPECT_TRUE(control<QRadioButton>("op11")->isChecked());
  EXPECT_FALSE(control<QRadioButton>("op3")->isChecked());

  // Typed text reaches the handler, and what it writes back shows at once.
  auto* box = control<QLineEdit>("item_max");
  box->selectAll();
  QTest::keyClicks(box, "150");
  EXPECT_EQ(box->text(), "100");
  EXPECT_EQ(state->item_max_count, 100);
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "5");

  auto* level = control<QListWidget>("level");
  level->setCurrentRow(7);
  EXPECT_EQ(state->level_low + "-" + state->level_high, "65-99");
  // Ctrl+click on the selected entry keeps it selected and its range in force.
  QTest::mouseClick(level->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    level->visualItemRect(level->item(7)).center());
  EXPECT_EQ(level->selectedItems().size(), 1);
  EXPECT_EQ(level->currentRow(), 7);
  EXPECT_EQ(state->form1.level_selected(), 7);
  EXPECT_EQ(state->level_low + "-" + state->level_high, "65-99");

  state->form1.set_lvls(4, "1\r\n22\r\n");
  EXPECT_EQ(text_of("lvls4"), "1\n22\n");
  EXPECT_EQ(state->form1.lvls(4), "1\r\n22\r\n");
  state->form1.set_caption(Form1Control::Command4, "WORKING: 3/25");
  state->form1.set_enabled(Form1Control::Command2, false);
  EXPECT_EQ(text_of("Command4"), "WORKING: 3/25");
  EXPECT_FALSE(control("Command2")->isEnabled());
}

TEST_F(Form1WindowTest, ALostConnectionShowsItsMessageThenEndsTheProgram) {
  ui.on_message = [this](const std::string&) { EXPECT_TRUE(exit_codes.empty()); };
  state->db_password = "not_the_password";  // the server refuses the login
  test::click(button("Command3"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{db::kConnectionFailedMessage});
  EXPECT_EQ(exit_codes, std::vector<int>{ui::kExitConnectionFailed});
}

TEST_F(Form1WindowTest, PaintsTheProgressLineFromTheModel) {
  const QColor blue("#0000FF");
  // 5 pixels thick around row 37 (555 twips), from x 653 (9800) to 747 (11210).
  QImage picture = main->grab().toImage();
  for (int y = 35; y <= 39; ++y) EXPECT_EQ(picture.pixelColor(700, y), blue) << y;
  EXPECT_NE(picture.pixelColor(700, 40), blue);
  EXPECT_NE(picture.pixelColor(749, 37), blue);
  state->form1.set_progress_x2(10152.5);  // 676.8 pixels
  picture = main->grab().toImage();
  EXPECT_EQ(picture.pixelColor(675, 37), blue);
  EXPECT_NE(picture.pixelColor(678, 37), blue);
}

TEST_F(Form1WindowTest, DraggedByTheBackgroundWithTheLeftButtonAloneAndQuit) {
  main->show();
  main->move(100, 100);
  const QPoint background(300, 606);
  ASSERT_EQ(main->childAt(background), nullptr);
  test::drag(main.get(), background, {30, 20});
  EXPECT_EQ(main->pos(), QPoint(130, 120));
  test::drag(main.get(), background, {40, 40}, Qt::RightButton, Qt::RightButton);
  test::drag(main.get(), background, {40, 40}, Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
  test::drag(control("lvls2"), {5, 5}, {50, 50});  // on a control
  EXPECT_EQ(main->pos(), QPoint(130, 120));

  // quit unloads the rules window and ends the program, whatever is open.
  open_rules();
  open_list();
  test::click(control("quit"));
  EXPECT_EQ(exit_codes, std::vector<int>{0});
  test::flush_deletes();
  EXPECT_EQ(rules, nullptr);
}

}  // namespace
}  // namespace vl
