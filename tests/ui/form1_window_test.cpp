// The main window: its controls as laid out, and how it follows the model and
// the user.

#include "ui/form1_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <map>
#include <string>
#include <vector>

#include "support/recording_ui.h"
#include "ui/controls.h"
#include "ui_test_support.h"

namespace vl {
namespace {

using test::RecordingUi;

class Form1WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state = test::loaded_state(ui);
    window = std::make_unique<ui::Form1Window>(*state, ui);
    window->end_program = [this](int code) { exit_codes.push_back(code); };
  }

  template <typename T = QWidget>
  T* control(const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  void type(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
  }

  void mouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
             Qt::MouseButtons held) {
    const QPointF global = target->mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }

  RecordingUi ui;
  std::unique_ptr<ProgramState> state;
  std::unique_ptr<ui::Form1Window> window;
  std::vector<int> exit_codes;
};

TEST_F(Form1WindowTest, WindowFrameAndTitle) {
  EXPECT_EQ(window->objectName(), "Form1");
  EXPECT_EQ(window->windowTitle(), "Vandril Like LOOT maker ver 1.1.0");
  EXPECT_EQ(window->size(), QSize(776, 620));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  const QList<QSize> icon_sizes = window->windowIcon().availableSizes();
  for (int size : {16, 32, 48}) EXPECT_TRUE(icon_sizes.contains(QSize(size, size))) << size;
}

TEST_F(Form1WindowTest, EveryControlHasItsKindAndPlace) {
  const std::map<std::string, QRect> rects = {
      {"Label1", {16, 24, 89, 25}},
      {"level", {8, 48, 89, 213}},
      {"Command1", {8, 264, 89, 73}},
      {"Label2", {128, 24, 137, 25}},
      {"Label4", {280, 48, 113, 33}},
      {"perc_of_npcs", {312, 80, 49, 19}},
      {"Shape1", {304, 120, 385, 65}},
      {"Label9", {296, 136, 89, 17}},
      {"loottable_percentx", {320, 152, 49, 19}},
      {"Label3", {384, 136, 129, 17}},
      {"item_max", {424, 152, 33, 19}},
      {"Label7", {512, 136, 177, 17}},
      {"lootdrop_percentx", {560, 152, 49, 19}},
      {"Command2", {432, 48, 105, 49}},
      {"lx", {624, 48, 137, 25}},
      {"Command5", {536, 192, 105, 17}},
      {"Command6", {432, 232, 177, 17}},
      {"clearlist", {616, 232, 105, 17}},
      {"Label5", {384, 280, 249, 25}},
      {"Command3", {120, 336, 105, 17}},
      {"Label6", {192, 352, 553, 17}},
      {"statistical", {8, 368, 233, 209}},
      {"Command4", {552, 600, 201, 17}},
      {"Label8", {208, 3, 89, 17}},
      {"quit", {744, 0, 17, 17}},
  };
  for (const auto& [name, rect] : rects) {
    QWidget* widget = control(name.c_str());
    if (widget != nullptr) {
      EXPECT_EQ(widget->geometry(), rect) << name;
    }
  }
  const int op_widths[12] = {89, 89, 153, 129, 89, 161, 145, 89, 233, 153, 217, 289};
  for (int i = 0; i < 12; ++i) {
    auto* option = control<QRadioButton>(("op" + std::to_string(i)).c_str());
    if (option != nullptr) {
      EXPECT_EQ(option->geometry(), QRect(112, 40 + 24 * i, op_widths[i], 33));
    }
  }
  const int lvls_x[8] = {200, 264, 336, 408, 480, 552, 624, 688};
  const int lvls_w[8] = {49, 57, 57, 57, 57, 57, 49, 49};
  for (int i = 1; i <= 8; ++i) {
    auto* column = control<QLabel>(("lvls" + std::to_string(i)).c_str());
    if (column != nullptr) {
      EXPECT_EQ(column->geometry(), QRect(lvls_x[i - 1], 368, lvls_w[i - 1], 225));
    }
  }

  EXPECT_EQ(control<QListWidget>("level")->selectionMode(), QAbstractItemView::SingleSelection);
  for (const char* box : {"perc_of_npcs", "loottable_percentx", "item_max", "lootdrop_percentx"}) {
    EXPECT_NE(control<QLineEdit>(box), nullptr);
  }
  for (const char* button :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "clearlist"}) {
    EXPECT_NE(control<QPushButton>(button), nullptr);
  }
  auto* progress = control<ui::LineControl>("progress");
  EXPECT_EQ(progress->x1(), 9800);
  EXPECT_EQ(progress->x2(), 11210);
  EXPECT_EQ(progress->y(), 555);
}

TEST_F(Form1WindowTest, CaptionsAndTextsAtStartUp) {
  const std::map<std::string, QString> captions = {
      {"Label1", "NPC LEVEL"},
      {"Label2", "LOOT CATEGORY"},
      {"Label4", "% each NPC gets items"},
      {"Label9", "loottable %"},
      {"Label3", "Number of Items/drop"},
      {"Label7", "lootdrop % (per item roll)"},
      {"lx", ">READY"},
      {"Label5", "# NPC with CUSTOM DROPS by LEVEL"},
      {"Label6",
       "    01-10         11-20          21-30          31-40          41-50          51-60    "
       "     61-99        65-99"},
      {"Label8", "Ver 1.8.5"},
  };
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(control<QLabel>(name.c_str())->text(), caption);
  const std::map<std::string, QString> buttons = {
      {"Command1", "Delete ALL Custom Loot Drops For SELECTED Levels"},
      {"Command2", "Execute"},
      {"Command3", "Show Stats"},
      {"Command4", "Repair NPC's Without Lootdrops"},
      {"Command5", "Rules"},
      {"Command6", "Custom Item List - NOTHING"},
      {"clearlist", "Remove Item List"},
  };
  for (const auto& [name, caption] : buttons) {
    EXPECT_EQ(control<QPushButton>(name.c_str())->text(), caption);
  }
  const std::map<std::string, QString> texts = {{"perc_of_npcs", "25"},
                                                {"loottable_percentx", "50"},
                                                {"item_max", "5"},
                                                {"lootdrop_percentx", "10"}};
  for (const auto& [name, text] : texts) EXPECT_EQ(control<QLineEdit>(name.c_str())->text(), text);

  const QStringList option_captions = {"Armour",
                                       "Weapon",
                                       "Higher LVL Misc",
                                       "All LVL Misc",
                                       "Shields",
                                       "General Food Items",
                                       "Spells/Songs",
                                       "Potions",
                                       "Drums/Arrows/Crafted Rings",
                                       "Drinks/Ales",
                                       "idols,charms,trinkets",
                                       "high level augment items/Solvents"};
  for (int i = 0; i < 12; ++i) {
    auto* option = control<QRadioButton>(("op" + std::to_string(i)).c_str());
    EXPECT_EQ(option->text(), option_captions[i]);
    EXPECT_EQ(option->isChecked(), i == 0) << i;
  }

  auto* level = control<QListWidget>("level");
  ASSERT_EQ(level->count(), 8);
  EXPECT_EQ(level->item(7)->text(), "65-99");
  EXPECT_TRUE(level->selectedItems().isEmpty());

  // The model keeps CR LF; the label shows the twelve words on twelve lines.
  const QStringList lines = control<QLabel>("statistical")->text().split('\n');
  ASSERT_EQ(lines.size(), 13);
  EXPECT_EQ(lines[7], "potions");
  EXPECT_EQ(lines[11], "high level augment items/Solvents");
  EXPECT_EQ(lines[12], "");
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(control<QLabel>(("lvls" + std::to_string(i)).c_str())->text(), "");
  }
}

TEST_F(Form1WindowTest, FontsColoursAndToolTips) {
  auto font_of = [this](const char* name) { return control(name)->font(); };
  auto expect_font = [&](const char* name, const QString& family, double points, bool bold) {
    const QFont font = font_of(name);
    EXPECT_EQ(font.family(), family) << name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), points) << name;
    EXPECT_EQ(font.bold(), bold) << name;
  };
  expect_font("Label1", "MS Sans Serif", 8.25, true);
  expect_font("statistical", "MS Sans Serif", 8.25, true);
  expect_font("lvls3", "MS Sans Serif", 8.25, true);
  expect_font("op5", "Verdana", 9.75, false);
  expect_font("level", "Tahoma", 12, false);
  expect_font("Command1", "MS Sans Serif", 8.25, true);
  expect_font("Command4", "MS Sans Serif", 8.25, true);
  expect_font("Command2", "MS Sans Serif", 8.25, false);
  expect_font("item_max", "MS Sans Serif", 8.25, false);

  auto colour = [this](const char* name, QPalette::ColorRole role) {
    return control(name)->palette().color(role);
  };
  EXPECT_EQ(colour("Label5", QPalette::WindowText), QColor("#FFFFFF"));
  EXPECT_EQ(colour("Label5", QPalette::Window), QColor("#000040"));
  EXPECT_EQ(colour("statistical", QPalette::WindowText), QColor("#C0C000"));
  EXPECT_EQ(colour("lvls8", QPalette::WindowText), QColor("#C0C000"));
  EXPECT_EQ(colour("Label8", QPalette::WindowText), QColor("#FFFF00"));
  EXPECT_FALSE(control("Label8")->autoFillBackground());
  EXPECT_EQ(colour("op11", QPalette::WindowText), QColor("#FFFF80"));
  EXPECT_EQ(colour("op11", QPalette::Window), QColor("#000040"));
  EXPECT_EQ(colour("level", QPalette::Text), QColor("#FF80FF"));
  EXPECT_EQ(colour("level", QPalette::Base), QColor("#000040"));
  EXPECT_EQ(colour("Command1", QPalette::Button), QColor("#FFFFC0"));
  EXPECT_EQ(colour("Command4", QPalette::Button), QColor("#FFFFC0"));

  const QString percent_tip =
      "From selected npc level range, what % of those get the selected custom loot";
  EXPECT_EQ(control("Label4")->toolTip(), percent_tip);
  EXPECT_EQ(control("Label9")->toolTip(), percent_tip);
  EXPECT_EQ(control("Label7")->toolTip(), percent_tip);
  EXPECT_EQ(control("Label3")->toolTip(),
            "What is the chance all npc's in selected level range will drop this loot");
  EXPECT_EQ(control("Command1")->toolTip(),
            "Deletes custom loot from selected level ranges. Hit refresh to see updated stats.");
  EXPECT_EQ(control("Command4")->toolTip(),
            "Repairs all non-existant drops with basic low level stuff - Not Reversible!");
  EXPECT_EQ(control("Label1")->toolTip(), "");
}

TEST_F(Form1WindowTest, FocusOrder) {
  std::vector<std::string> expected = {"level", "Command1", "perc_of_npcs", "Command4"};
  for (int i = 0; i < 12; ++i) expected.push_back("op" + std::to_string(i));
  for (const char* name : {"Command5", "Command2", "Command3", "Command6", "clearlist", "item_max",
                           "lootdrop_percentx", "loottable_percentx"}) {
    expected.push_back(name);
  }
  std::vector<std::string> chain;
  QWidget* widget = control("level");
  for (std::size_t i = 0; i < expected.size() && widget != nullptr; ++i) {
    chain.push_back(widget->objectName().toStdString());
    do {
      widget = widget->nextInFocusChain();
    } while (widget != nullptr && !(widget->focusPolicy() & Qt::TabFocus));
  }
  EXPECT_EQ(chain, expected);
  for (const char* name : {"Label1", "lx", "statistical", "quit", "Shape1", "progress"}) {
    EXPECT_FALSE(control(name)->focusPolicy() & Qt::TabFocus) << name;
  }
}

TEST_F(Form1WindowTest, OptionGroupKeepsExactlyOneSelected) {
  auto* op3 = control<QRadioButton>("op3");
  op3->click();
  EXPECT_EQ(state->form1.op_selected(), 3);
  int checked = 0;
  for (int i = 0; i < 12; ++i)
    checked += control<QRadioButton>(("op" + std::to_string(i)).c_str())->isChecked();
  EXPECT_EQ(checked, 1);
  op3->click();  // clicking the selected one keeps it
  EXPECT_TRUE(op3->isChecked());

  state->form1.select_op(11);
  EXPECT_TRUE(control<QRadioButton>("op11")->isChecked());
  EXPECT_FALSE(op3->isChecked());
}

TEST_F(Form1WindowTest, TypingInItemMaxRunsTheChangeHandler) {
  auto* box = control<QLineEdit>("item_max");
  box->setFocus();
  box->selectAll();
  type(box, Qt::Key_1, "1");
  type(box, Qt::Key_5, "5");
  EXPECT_EQ(box->text(), "15");
  EXPECT_EQ(state->item_max_count, 15);
  type(box, Qt::Key_0, "0");
  EXPECT_EQ(box->text(), "100");
  EXPECT_EQ(state->form1.text(Form1Control::item_max), "100");
  EXPECT_EQ(state->item_max_count, 100);

  box->selectAll();
  type(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "5");
  EXPECT_EQ(state->item_max_count, 5);

  box->selectAll();
  type(box, Qt::Key_2, "2");
  type(box, Qt::Key_Period, ".");
  type(box, Qt::Key_5, "5");
  EXPECT_EQ(box->text(), "2.5");
  EXPECT_EQ(state->item_max_count, 2);

  type(box, Qt::Key_A, "a");
  EXPECT_EQ(box->text(), "5");
  EXPECT_EQ(state->item_max_count, 5);

  // Text typed in the middle stays where it was typed, cursor included.
  box->setCursorPosition(0);
  type(box, Qt::Key_1, "1");
  EXPECT_EQ(box->text(), "15");
  EXPECT_EQ(box->cursorPosition(), 1);

  // The other boxes only keep their text.
  auto* percent = control<QLineEdit>("perc_of_npcs");
  percent->selectAll();
  type(percent, Qt::Key_X, "x");
  EXPECT_EQ(state->form1.text(Form1Control::perc_of_npcs), "x");
}

TEST_F(Form1WindowTest, SelectingALevelRangeSetsTheBounds) {
  auto* level = control<QListWidget>("level");
  const char* bounds[8][2] = {{"01", "10"}, {"11", "20"}, {"21", "30"}, {"31", "40"},
                              {"41", "50"}, {"51", "60"}, {"61", "99"}, {"65", "99"}};
  for (int i : {7, 6, 0, 3, 1, 2, 4, 5}) {
    level->setCurrentRow(i);
    EXPECT_EQ(state->form1.level_selected(), i);
    EXPECT_EQ(state->level_low, bounds[i][0]) << i;
    EXPECT_EQ(state->level_high, bounds[i][1]) << i;
  }
}

TEST_F(Form1WindowTest, ShowsWhatCommandsWriteIntoTheModel) {
  state->form1.set_lx("> 3/120");
  EXPECT_EQ(control<QLabel>("lx")->text(), "> 3/120");
  state->form1.set_lvls(4, "1\r\n22\r\n");
  EXPECT_EQ(control<QLabel>("lvls4")->text(), "1\n22\n");
  EXPECT_EQ(state->form1.lvls(4), "1\r\n22\r\n");
  state->form1.set_caption(Form1Control::Command4, "WORKING: 3/25");
  state->form1.set_enabled(Form1Control::Command2, false);
  EXPECT_EQ(control<QPushButton>("Command4")->text(), "WORKING: 3/25");
  EXPECT_FALSE(control<QPushButton>("Command2")->isEnabled());
  state->form1.set_progress_x2(10152.5);
  EXPECT_EQ(control<ui::LineControl>("progress")->x2(), 10152.5);
  state->form1.set_text(Form1Control::lootdrop_percentx, "33");
  EXPECT_EQ(control<QLineEdit>("lootdrop_percentx")->text(), "33");
}

TEST_F(Form1WindowTest, PaintsTheArtworkAndTheProgressLineFromTheModel) {
  const QColor navy("#000040");
  const QColor blue("#0000FF");
  QImage picture = window->grab().toImage();
  ASSERT_EQ(picture.size(), QSize(776, 620));
  EXPECT_EQ(picture.pixelColor(300, 590), navy);  // bare background
  const QColor dot = picture.pixelColor(752, 9);
  EXPECT_GT(dot.red(), 150);
  EXPECT_LT(dot.green(), 80);
  EXPECT_NE(picture.pixelColor(2, 300), navy);    // left border
  EXPECT_NE(picture.pixelColor(773, 300), navy);  // right border
  EXPECT_NE(picture.pixelColor(300, 5), navy);    // title strip
  // The line: 5 pixels thick around row 37, from x 653 to 747.
  for (int y = 35; y <= 39; ++y) EXPECT_EQ(picture.pixelColor(700, y), blue) << y;
  EXPECT_NE(picture.pixelColor(700, 34), blue);
  EXPECT_NE(picture.pixelColor(700, 40), blue);
  EXPECT_EQ(picture.pixelColor(654, 37), blue);
  EXPECT_EQ(picture.pixelColor(746, 37), blue);
  EXPECT_NE(picture.pixelColor(749, 37), blue);

  state->form1.set_progress_x2(10152.5);  // 676.8 pixels
  picture = window->grab().toImage();
  EXPECT_EQ(picture.pixelColor(675, 37), blue);
  EXPECT_NE(picture.pixelColor(678, 37), blue);
  state->form1.set_progress_x2(9800);  // no length: nothing drawn
  picture = window->grab().toImage();
  EXPECT_NE(picture.pixelColor(654, 37), blue);
}

TEST_F(Form1WindowTest, ColumnHeadingStandsOverItsColumns) {
  const QImage picture = window->grab().toImage();
  // Runs of pixel columns in the heading's band (below the "Show Stats" button) that hold
  // white text.
  std::vector<std::pair<int, int>> runs;
  for (int x = 192; x < 192 + 553; ++x) {
    bool ink = false;
    for (int y = 354; y < 369 && !ink; ++y) ink = picture.pixelColor(x, y).lightness() > 160;
    if (!ink) continue;
    if (!runs.empty() && x - runs.back().second <= 6) {
      runs.back().second = x;
    } else {
      runs.emplace_back(x, x);
    }
  }
  ASSERT_EQ(runs.size(), 8u);
  for (int i = 1; i <= 8; ++i) {
    const QRect column = control(("lvls" + std::to_string(i)).c_str())->geometry();
    const double heading_centre = (runs[i - 1].first + runs[i - 1].second) / 2.0;
    EXPECT_NEAR(heading_centre, column.center().x(), 3.0) << i;
  }
}

TEST_F(Form1WindowTest, DragsByTheBackgroundWithTheLeftButtonAlone) {
  window->move(100, 100);
  window->show();
  const QPoint start = window->pos();
  const QPoint background(300, 606);
  ASSERT_EQ(window->childAt(background), nullptr);  // bare background, no control

  mouse(window.get(), QEvent::MouseButtonPress, background, Qt::LeftButton, Qt::LeftButton);
  mouse(window.get(), QEvent::MouseMove, background + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
  mouse(window.get(), QEvent::MouseButtonRelease, background + QPoint(30, 20), Qt::LeftButton,
        Qt::NoButton);
  EXPECT_EQ(window->pos(), start + QPoint(30, 20));

  const QPoint moved = window->pos();
  mouse(window.get(), QEvent::MouseButtonPress, background, Qt::RightButton, Qt::RightButton);
  mouse(window.get(), QEvent::MouseMove, background + QPoint(40, 40), Qt::NoButton,
        Qt::RightButton);
  mouse(window.get(), QEvent::MouseButtonRelease, background, Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(window->pos(), moved);

  mouse(window.get(), QEvent::MouseButtonPress, background, Qt::LeftButton, Qt::LeftButton);
  mouse(window.get(), QEvent::MouseMove, background + QPoint(40, 40), Qt::NoButton,
        Qt::LeftButton | Qt::RightButton);
  mouse(window.get(), QEvent::MouseButtonRelease, background, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window->pos(), moved);

  // A press on a label does not reach the window's background.
  auto* label = control("lvls2");
  ASSERT_EQ(window->childAt(QPoint(300, 590)), label);
  mouse(label, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
  mouse(label, QEvent::MouseMove, QPoint(50, 50), Qt::NoButton, Qt::LeftButton);
  mouse(label, QEvent::MouseButtonRelease, QPoint(50, 50), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window->pos(), moved);
}

TEST_F(Form1WindowTest, QuitUnloadsTheRulesWindowThenEndsTheProgram) {
  std::vector<std::string> calls;
  window->secondary.unload_rules = [&] { calls.push_back("unload_rules"); };
  window->end_program = [&](int code) { calls.push_back("end " + std::to_string(code)); };
  auto* quit = control("quit");
  mouse(quit, QEvent::MouseButtonPress, QPoint(8, 8), Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(calls.empty());
  mouse(quit, QEvent::MouseButtonRelease, QPoint(8, 8), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(calls, (std::vector<std::string>{"unload_rules", "end 0"}));

  calls.clear();
  window->secondary.unload_rules = nullptr;
  window->close();
  EXPECT_EQ(calls, (std::vector<std::string>{"end 0"}));
}

TEST_F(Form1WindowTest, SecondaryWindowHooksRunFromTheirButtons) {
  std::vector<std::string> calls;
  control<QPushButton>("Command5")->click();  // no hook yet: nothing happens
  window->secondary.Command5_Click = [&] { calls.push_back("rules"); };
  window->secondary.Command6_Click = [&] { calls.push_back("custom list"); };
  window->secondary.clearlist_Click = [&] { throw std::runtime_error("list trouble"); };
  control<QPushButton>("Command5")->click();
  control<QPushButton>("Command6")->click();
  control<QPushButton>("clearlist")->click();
  EXPECT_EQ(calls, (std::vector<std::string>{"rules", "custom list"}));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"list trouble"});
  EXPECT_TRUE(exit_codes.empty());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++counts[watched->objectName().toStdString()];
    return false;
  }
  std::map<std::string, int> counts;
};

TEST_F(Form1WindowTest, RepaintPaintsTheChangedControlsAtOnce) {
  window->show();
  QApplication::processEvents();
  window->repaint_changed();
  PaintCounter counter;
  for (const char* name : {"progress", "Command4", "lx", "Label1"}) {
    control(name)->installEventFilter(&counter);
  }
  state->form1.set_progress_x2(10152.5);
  state->form1.set_caption(Form1Control::Command4, "WORKING: 1/2");
  state->form1.set_caption(Form1Control::Command4, "WORKING: 2/2");
  EXPECT_TRUE(counter.counts.empty());  // nothing painted until asked
  window->repaint_changed();            // no event processing in between
  EXPECT_GE(counter.counts["progress"], 1);
  EXPECT_GE(counter.counts["Command4"], 1);
  EXPECT_EQ(counter.counts["lx"], 0);
  EXPECT_EQ(counter.counts["Label1"], 0);
}

}  // namespace
}  // namespace vl
