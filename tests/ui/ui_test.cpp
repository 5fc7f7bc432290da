// The windows: their controls as laid out, how they follow the model and the
// user, the message box and the guard every command runs in.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "app/window/command_guard.h"
#include "app/window/form1_logic.h"
#include "app/window/window_inputs.h"
#include "db/database.h"
#include "journal/recorder.h"
#include "support/recording_ui.h"
#include "support/scenario.h"
#include "support/window_texts.h"
#include "ui/filter_windows.h"
#include "ui/form1_window.h"
#include "ui/help_text.h"
#include "ui/history_window.h"
#include "ui/preview_model.h"
#include "ui/preview_window.h"
#include "ui/program.h"
#include "ui/qt_ui.h"

namespace vl::test {
namespace {

template <typename T = QWidget>
T* child(const QWidget* window, const char* name) {
  T* found = window ? window->findChild<T*>(name) : nullptr;
  EXPECT_NE(found, nullptr) << name;
  return found;
}
void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
// Presses `button` on `target` at `from`, moves by `by` with `held` down, releases.
void drag(QWidget* target, QPoint from, QPoint by, Qt::MouseButton button = Qt::LeftButton,
          Qt::MouseButtons held = Qt::LeftButton) {
  for (auto [type, at, b, h] : {std::tuple(QEvent::MouseButtonPress, from, button, held & button),
                                {QEvent::MouseMove, from + by, Qt::NoButton, held},
                                {QEvent::MouseButtonRelease, from + by, button, Qt::NoButton}}) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), b, h, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
}
// Names of the controls Tab visits from `first` on, once round its window.
Texts tab_stops(QWidget* first) {
  Texts stops;
  QWidget* next = first;
  do {
    if (next->focusPolicy() & Qt::TabFocus) stops.push_back(next->objectName().toStdString());
    next = next->nextInFocusChain();
  } while (next != first && next != first->window());
  return stops;
}
std::string text_of(QWidget* widget) {
  return widget ? widget->property("text").toString().toStdString() : "";
}

// The main window after a successful start-up; the program's end is recorded.
class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    main = ui::load_main_window(*state, ui, journal, write_db_ini("ui_test_db.ini"));
    ASSERT_NE(main, nullptr);
    main->end_program = [this](int code) { exits.push_back(code); };
    filters = main->findChild<ui::FilterWindows*>();
  }
  void TearDown() override {
    main.reset();  // with the rules and custom item list windows
    flush_deletes();
  }
  QWidget* control(const char* name) { return child(main.get(), name); }
  // Waits up to 20 s for the Preview to end planning or writing.
  static void settled(ui::PreviewWindow* preview) {
    for (QDeadlineTimer limit(20000); preview->working() && !limit.hasExpired();) QTest::qWait(5);
  }
  void show_main() { main->show(), QApplication::setActiveWindow(main.get()); }
  // Whether a right click on `name` opened the background menu.
  bool menu_after_right_click(const char* name) {
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        shown = popup->objectName() == "background_menu";
        popup->close();
      }
    });
    QWidget* target = control(name);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      const QPointF at(2, 2);
      QMouseEvent event(type, at, target->mapToGlobal(at), Qt::RightButton,
                        type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(target, &event);
    }
    QApplication::processEvents();
    return shown;
  }
  // Click "Rules" or the custom list button, then make the window shown the active one.
  template <typename T>
  T* open(const char* button, T* (ui::FilterWindows::*window)() const) {
    flush_deletes();  // a closed window goes only when events run
    click(control(button));
    T* shown = (filters->*window)();
    if (shown) shown->show(), shown->activateWindow(), QApplication::processEvents();
    return shown;
  }
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  app::WindowJournal journal{[] {
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(std::string("ui_test_journal.sqlite3") + suffix);
    return "ui_test_journal.sqlite3";
  }()};
  std::unique_ptr<ui::Form1Window> main;
  ui::FilterWindows* filters = nullptr;
  std::vector<int> exits;
};

TEST_F(Windows, ControlsAsLaidOut) {
  QPointer<ui::RulesWindow> rules = open("Command5", &ui::FilterWindows::rules_window);
  QPointer<ui::CustomItemListWindow> list = open("Command6", &ui::FilterWindows::list_window);
  main->help_window().open();
  const std::map<std::string, QWidget*> windows = {{"main", main.get()},
                                                   {"rules", rules},
                                                   {"list", list},
                                                   {"help", main->help_window().window()}};
  const std::string heading =
      "    01-10         11-20          21-30          31-40          41-50          51-60    "
      "     61-99        65-99";
  const std::string tip =
      "From selected npc level range, what % of those get the selected custom loot";
  // clang-format off
  const std::map<std::string, std::string> tips = {{"Label4", tip}, {"Label9", tip}, {"Label7", tip},
      {"Label3", "What is the chance all npc's in selected level range will drop this loot"},
      {"Command1", "Deletes custom loot from selected level ranges. Hit refresh to see updated stats."},
      {"Command4", "Repairs all non-existant drops with basic low level stuff - Not Reversible!"}};
  const struct { const char* window; const char* name; QRect rect; std::string text; } controls[] = {
      {"main", "Label1", {16, 24, 89, 25}, "NPC LEVEL"}, {"main", "level", {8, 48, 89, 213}, ""},
      {"main", "Command1", {8, 264, 89, 73}, "Delete ALL Custom Loot Drops For SELECTED Levels"},
      {"main", "Label2", {128, 24, 137, 25}, "LOOT CATEGORY"}, {"main", "Label4", {280, 48, 113, 33}, "% each NPC gets items"},
      {"main", "perc_of_npcs", {312, 80, 49, 19}, "25"}, {"main", "Shape1", {304, 120, 385, 65}, ""},
      {"main", "Label9", {296, 136, 89, 17}, "loottable %"}, {"main", "loottable_percentx", {320, 152, 49, 19}, "50"},
      {"main", "Label3", {384, 136, 129, 17}, "Number of Items/drop"}, {"main", "item_max", {424, 152, 33, 19}, "5"},
      {"main", "Label7", {512, 136, 177, 17}, "lootdrop % (per item roll)"},
      {"main", "lootdrop_percentx", {560, 152, 49, 19}, "10"}, {"main", "Command2", {432, 48, 105, 49}, "Execute"},
      {"main", "lx", {624, 48, 137, 25}, ">READY"}, {"main", "Command5", {536, 192, 105, 17}, "Rules"},
      {"main", "Command6", {432, 232, 177, 17}, "Custom Item List - NOTHING"},
      {"main", "clearlist", {616, 232, 105, 17}, "Remove Item List"},
      {"main", "Label5", {384, 280, 249, 25}, "# NPC with CUSTOM DROPS by LEVEL"},
      {"main", "Command3", {120, 336, 105, 17}, "Show Stats"}, {"main", "Label6", {192, 352, 553, 17}, heading},
      {"main", "statistical", {8, 368, 233, 209}, "armour\nweapon\nhigher lvl misc\nAll lvl misc\nshields\nGeneral "
       "Food Items\nSpells/Songs\npotions\nDrums/Arrows/Crafted Rings\nAles/Drinks\nidols charms trinkets\nhigh level "
       "augment items/Solvents\n"},
      {"main", "Command4", {552, 600, 201, 17}, "Repair NPC's Without Lootdrops"},
      {"main", "Label8", {208, 3, 89, 17}, "Ver 1.8.5"}, {"main", "quit", {744, 0, 17, 17}, ""},
      {"main", "op0", {112, 40, 89, 33}, "Armour"}, {"main", "op1", {112, 64, 89, 33}, "Weapon"},
      {"main", "op2", {112, 88, 153, 33}, "Higher LVL Misc"}, {"main", "op3", {112, 112, 129, 33}, "All LVL Misc"},
      {"main", "op4", {112, 136, 89, 33}, "Shields"}, {"main", "op5", {112, 160, 161, 33}, "General Food Items"},
      {"main", "op6", {112, 184, 145, 33}, "Spells/Songs"}, {"main", "op7", {112, 208, 89, 33}, "Potions"},
      {"main", "op8", {112, 232, 233, 33}, "Drums/Arrows/Crafted Rings"}, {"main", "op9", {112, 256, 153, 33}, "Drinks/Ales"},
      {"main", "op10", {112, 280, 217, 33}, "idols,charms,trinkets"},
      {"main", "op11", {112, 304, 289, 33}, "high level augment items/Solvents"},
      {"main", "lvls1", {200, 368, 49, 225}, ""}, {"main", "lvls2", {264, 368, 57, 225}, ""},
      {"main", "lvls3", {336, 368, 57, 225}, ""}, {"main", "lvls4", {408, 368, 57, 225}, ""},
      {"main", "lvls5", {480, 368, 57, 225}, ""}, {"main", "lvls6", {552, 368, 57, 225}, ""},
      {"main", "lvls7", {624, 368, 49, 225}, ""}, {"main", "lvls8", {688, 368, 49, 225}, ""},
      {"rules", "r", {16, 16, 345, 193}, "reqlevel<=10 AND ac<=5"}, {"rules", "Command2", {256, 216, 57, 33}, "Ignore"},
      {"rules", "Command3", {16, 216, 121, 33}, "Test Query"}, {"rules", "Command1", {320, 216, 33, 33}, "?"},
      {"rules", "ok", {144, 216, 33, 33}, "OK"},
      {"list", "customlist", {16, 16, 345, 241}, ""}, {"list", "ok", {24, 272, 33, 33}, "GO"},
      {"list", "Command2", {96, 272, 73, 33}, "Nevermind"}, {"list", "Command1", {200, 272, 73, 33}, "Clear List"},
      {"help", "r", {40, 24, 345, 473}, "reqlevel<=10 AND ac<=5\n\naint>=1 AND aint<=10\n\naint>=1 AND aint<=10 "
       "OR \nawis>=1 AND awis<=10\n\nreqlevel<=10 AND damage<=5\n\nname like 'rubicite%' OR ac>=15 AND ac<=20\n\n"
       "name like 'banded%' OR\n\nname like 'mesh%' OR\n\nname like 'bronze%'\n"}, {"help", "Command1", {160, 512, 129, 25}, "Back"}};
  // clang-format on
  for (const auto& c : controls) {
    QWidget* widget = child(windows.at(c.window), c.name);
    const auto* box = qobject_cast<QPlainTextEdit*>(widget);
    const auto* button = qobject_cast<QPushButton*>(widget);
    const bool tipped = c.window == std::string("main") && tips.contains(c.name);
    EXPECT_EQ(std::tuple(widget ? widget->geometry() : QRect(),
                         box ? box->toPlainText().toStdString() : text_of(widget),
                         button && (button->isDefault() || button->autoDefault()),
                         widget ? widget->toolTip().toStdString() : ""),
              std::tuple(c.rect, c.text, false, tipped ? tips.at(c.name) : ""))
        << c.window << " " << c.name;
  }
  const auto shape = [](QWidget* w) {
    return std::tuple(w->windowTitle().toStdString(), w->size(), w->isModal());
  };
  EXPECT_EQ(std::tuple(shape(main.get()), shape(rules), shape(list), shape(windows.at("help"))),
            std::tuple(std::tuple("Vandril Like LOOT maker ver 1.1.0", QSize(776, 620), false),
                       std::tuple("Rules", QSize(373, 268), false),
                       std::tuple("List of Items", QSize(374, 307), false),
                       std::tuple("Form2", QSize(442, 550), false)));
  EXPECT_TRUE(main->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(rules->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  for (int size : {16, 32, 48}) {  // the installed icon files are the icon the window shows
    const QImage file(QStringLiteral(VL_SOURCE_DIR "/ui/icons/vandril_loot-%1.png").arg(size));
    EXPECT_EQ(file.convertToFormat(QImage::Format_ARGB32),
              main->windowIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32));
  }
  EXPECT_TRUE(qobject_cast<QRadioButton*>(control("op0"))->isChecked());
  EXPECT_EQ(child<QPlainTextEdit>(windows.at("help"), "r")->font().family(), "Verdana");
  // The main window's round: TheOptionGroupIsOneTabStopAndTheArrowKeysMoveInsideIt.
  EXPECT_EQ(tab_stops(child(rules, "r")), (Texts{"r", "Command2", "Command3", "Command1", "ok"}));
  EXPECT_EQ(tab_stops(child(windows.at("help"), "r")), (Texts{"r", "Command1"}));
}

TEST_F(Windows, TheOptionGroupIsOneTabStopAndTheArrowKeysMoveInsideIt) {
  show_main();
  // clang-format off
  const Texts stops = {"level", "Command1", "perc_of_npcs", "Command4", "op0", "Command5", "Command2", "Command3",
                       "Command6", "clearlist", "item_max", "lootdrop_percentx", "loottable_percentx"};
  // clang-format on
  EXPECT_EQ(tab_stops(control("level")), stops);
  control("op0")->setFocus();
  QTest::keyClick(control("op0"), Qt::Key_Down);
  Texts moved = stops;
  moved[4] = "op1";
  EXPECT_EQ(std::tuple(state->form1.op_selected(), QApplication::focusWidget(),
                       tab_stops(control("level"))),
            std::tuple(1, control("op1"), moved));
}

TEST_F(Windows, CtrlPAndCtrlHActOnlyWhenNoTextBoxHasTheFocus) {
  show_main();
  const struct {
    const char* focus;
    Qt::Key key;
    bool opened;
  } rows[] = {{"perc_of_npcs", Qt::Key_P, false},
              {"item_max", Qt::Key_H, false},
              {"level", Qt::Key_H, true},
              {"Command2", Qt::Key_P, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.focus);
    QApplication::setActiveWindow(main.get());
    control(row.focus)->setFocus();
    QTest::keyClick(main.get(), row.key, Qt::ControlModifier);
    QWidget* opened = row.key == Qt::Key_P ? static_cast<QWidget*>(main->preview_window().window())
                                           : main->history_window().window();
    EXPECT_EQ(opened != nullptr && opened->isVisible(), row.opened);
    if (opened) opened->close();
  }
}

TEST_F(Windows, ARightClickOnALabelOpensTheBackgroundMenuOneOnAnInputDoesNot) {
  show_main();
  for (const char* label : {"statistical", "lvls3", "Label5", "Label6", "lx", "Label1"})
    EXPECT_TRUE(menu_after_right_click(label)) << label;
  for (const char* input : {"item_max", "Command3", "level", "op2"})
    EXPECT_FALSE(menu_after_right_click(input)) << input;
}

TEST_F(Windows, FollowTheUserAndTheModel) {
  qobject_cast<QRadioButton*>(control("op3"))->click();
  EXPECT_EQ(state->form1.op_selected(), 3);
  state->form1.select_op(11);
  EXPECT_EQ(std::pair(qobject_cast<QRadioButton*>(control("op11"))->isChecked(),
                      qobject_cast<QRadioButton*>(control("op3"))->isChecked()),
            std::pair(true, false));
  auto* box = qobject_cast<QLineEdit*>(control("item_max"));  // typed text reaches the handler,
  box->selectAll();                                           // and what it writes back shows
  QTest::keyClicks(box, "150");
  EXPECT_EQ(std::pair(box->text().toStdString(), int{state->item_max_count}),
            std::pair(std::string("100"), 100));
  auto* level = qobject_cast<QListWidget*>(control("level"));
  EXPECT_TRUE(level->selectedItems().isEmpty());
  level->setCurrentRow(7);
  // Ctrl+click on the selected entry keeps it selected and its range in force.
  QTest::mouseClick(level->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    level->visualItemRect(level->item(7)).center());
  EXPECT_EQ(std::tuple(level->selectedItems().size(), level->currentRow(),
                       state->form1.level_selected(), state->level_low + "-" + state->level_high),
            std::tuple(1, 7, 7, "65-99"));
  state->form1.set_lvls(4, "1\r\n22\r\n");  // the model keeps CR LF
  state->form1.set_caption(Form1Control::Command4, "WORKING: 3/25");
  state->form1.set_enabled(Form1Control::Command2, false);
  EXPECT_EQ(std::tuple(text_of(control("lvls4")), state->form1.lvls(4),
                       text_of(control("Command4")), control("Command2")->isEnabled()),
            std::tuple("1\n22\n", "1\r\n22\r\n", "WORKING: 3/25", false));
  // The progress line: 5 pixels around row 37 (555 twips), from x 653 (9800) to 747 (11210).
  const QColor blue("#0000FF");
  QImage picture = main->grab().toImage();
  for (int y = 35; y <= 39; ++y) EXPECT_EQ(picture.pixelColor(700, y), blue) << y;
  EXPECT_NE(picture.pixelColor(700, 40), blue);
  EXPECT_NE(picture.pixelColor(749, 37), blue);
  state->form1.set_progress_x2(10152.5);  // 676.8 pixels
  picture = main->grab().toImage();
  EXPECT_EQ(std::pair(picture.pixelColor(675, 37), picture.pixelColor(678, 37) == blue),
            std::pair(blue, false));
}

TEST_F(Windows, DraggedByTheBackgroundWithTheLeftButtonAloneAndQuit) {
  main->show();
  main->move(100, 100);
  const QPoint background(300, 606);
  ASSERT_EQ(main->childAt(background), nullptr);
  drag(main.get(), background, {30, 20});
  EXPECT_EQ(main->pos(), QPoint(130, 120));
  drag(main.get(), background, {40, 40}, Qt::RightButton, Qt::RightButton);
  drag(main.get(), background, {40, 40}, Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
  drag(control("lvls2"), {5, 5}, {50, 50});  // on a control
  EXPECT_EQ(main->pos(), QPoint(130, 120));
  QPointer<ui::RulesWindow> rules = open("Command5", &ui::FilterWindows::rules_window);
  rules->move(100, 100);
  drag(rules, {200, 260}, {30, 40});
  EXPECT_EQ(rules->pos(), QPoint(130, 140));
  open("Command6", &ui::FilterWindows::list_window);
  click(control("quit"));  // unloads the rules window and ends the program, whatever is open
  flush_deletes();
  EXPECT_EQ(std::pair(exits, rules.isNull()), std::pair(std::vector<int>{0}, true));
}

// A right click on the background opens the menu of the History window, as
// Ctrl+H opens it; its Undo takes Execute back. The journal is made by the
// first write command, not by the History window. Without a journal the
// commands show no message of it; History tells why at its top.
TEST_F(Windows, HistoryOpensFromTheBackgroundMenuAndCtrlHAndUndoesExecute) {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1,'a',10),(2,'b',10)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,7)");
  const std::string before = world_checksums();
  main->show();
  std::string menu;
  QTimer::singleShot(0, [&menu] {
    auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    for (QAction* action : shown->actions())
      menu += (action->text() + " " + action->shortcut().toString() + "|").toStdString();
    shown->actions().back()->trigger();
    shown->close();
  });
  drag(main.get(), {300, 606}, {1, 1}, Qt::RightButton, Qt::RightButton);
  QPointer<ui::HistoryWindow> history = main->history_window().window();
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(std::tuple(menu, history->isVisible(), text_of(child(history, "why")),
                       std::filesystem::exists("ui_test_journal.sqlite3")),
            std::tuple(std::string("Preview... Ctrl+P|History... Ctrl+H|"), true,
                       "No run has been journaled yet.", false));
  history->close();
  flush_deletes();
  QApplication::setActiveWindow(main.get());
  QTest::keyClick(main.get(), Qt::Key_H, Qt::ControlModifier);
  history = main->history_window().window();
  ASSERT_NE(history, nullptr);

  state->form1.set_text(Form1Control::perc_of_npcs, "101");
  state->form1.set_text(Form1Control::item_max, "2");
  click(control("Command2"));
  history->refresh();
  // Changed while asked: the locked read after the answer finds it; nothing is undone.
  history->ask = [](const std::string&) {
    return fixture_sql("UPDATE lootdrop SET name='x'"), true;
  };
  click(child(history, "undo"));
  fixture_sql("UPDATE lootdrop SET name='lvl_01-10_CUSTOM_armour'");
  std::string asked;
  history->ask = [&asked](const std::string& question) { return !(asked = question).empty(); };
  click(child(history, "undo"));
  EXPECT_EQ(world_checksums(), before);
  EXPECT_EQ(std::tuple(asked, ui.messages, text_of(child(history, "why")),
                       child(history, "undo")->isEnabled()),
            std::tuple("Undo run 1 (3 statements)?",
                       Texts{"Completed!",
                             "Run 1 was not undone: the world changed while you were asked:\r\n"
                             "lootdrop (1,'lvl_01-10_CUSTOM_armour') is no longer as the run wrote "
                             "it.\r\nNothing was changed.",
                             "Run 1 was undone."},
                       "It has been undone already.", false));

  EXPECT_FALSE(child(history, "unavailable")->isVisible());

  app::WindowJournal none("/dev/null/journal.sqlite3");
  ui.messages.clear();
  for (int run = 0; run < 2; ++run)
    app::run_command(*state, ui, none.delete_drops(), main->end_program);
  EXPECT_EQ(ui.messages, Texts{});
  ui::CommandTurns turns;
  ui::HistoryWindow shown(*state, ui, none, turns);
  shown.show();
  EXPECT_EQ(
      std::pair(text_of(child(&shown, "unavailable")), child(&shown, "unavailable")->isVisible()),
      std::pair(std::string("Undo is unavailable: the journal /dev/null/journal.sqlite3 cannot be "
                            "opened (unable to open database file)."),
                true));
}

// The Preview (Ctrl+P) plans what Execute would write: its rows are plan_run's
// drops for the seed in its box. "Write all at once" re-plans a stale plan,
// holds the main window's commands, writes exactly the plan on one connection
// as one journaled run that History undoes whole. A table that cannot roll
// back is refused with nothing written; Cancel leaves no thread running.
// With copies of shared loottables, the rows show plan_run's copies, History's
// Undo waits while the write runs, and the NPC outside keeps its loottable.
TEST_F(Windows, PreviewPlansWritesAllAtOnceAndRefusesWhatCannotRollBack) {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1,'a',10),(2,'b',10),(3,'c',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,7),(2,'m',6,8),"
      "(3,'far',50,8)");
  fixture_sql("INSERT INTO loottable (id,name) VALUES (8,'t')");
  const std::string before = world_checksums();
  state->form1.set_text(Form1Control::perc_of_npcs, "101");
  state->form1.set_text(Form1Control::item_max, "2");
  show_main();
  QTest::keyClick(main.get(), Qt::Key_P, Qt::ControlModifier);
  QPointer<ui::PreviewWindow> preview = main->preview_window().window();
  ASSERT_NE(preview, nullptr);
  const auto settle = [&] { settled(preview); };
  settle();
  const auto shown_rows = [&preview] {
    const QAbstractItemModel& model = *child<QTableView>(preview, "drops")->model();
    Rows rows;
    for (int row = 0; row < model.rowCount(); ++row)
      rows.push_back({model.index(row, 0).data().toString().toStdString(),
                      model.index(row, 3).data().toString().toStdString(),
                      model.index(row, 4).data().toString().toStdString(),
                      model.index(row, 5).data().toString().toStdString()});
    return rows;
  };
  const auto planned_rows = [](const loot::Plan& plan) {
    const char* const names[] = {"", "a", "b", "c"};
    Rows rows;
    for (const loot::PlannedDrop& drop : plan.drops) {
      std::string items;
      for (std::int32_t item : drop.item_ids)
        items += (items.empty() ? "" : "; ") + std::to_string(item) + " " + names[item];
      const std::string copied =
          drop.loottable_copied_from
              ? std::to_string(drop.loottable_copied_from) + " (shared) → copy "
              : "";
      rows.push_back(
          {std::to_string(drop.npc_id),
           copied + std::to_string(drop.loottable_id) + (drop.loottable_id == 8 ? " (shared)" : ""),
           std::to_string(drop.lootdrop_id), items});
    }
    return rows;
  };
  loot::WindowInputs inputs(*state);
  db::Connection connection(db::connection_string(*state));
  Random random;
  random.pin_seed(child<QLineEdit>(preview, "seed")->text().toULongLong());
  const loot::Plan expected = loot::plan_run(inputs, connection, random);
  EXPECT_EQ(std::tuple(preview->windowTitle().toStdString(), shown_rows(), expected.drops.size()),
            std::tuple("Preview", planned_rows(expected), std::size_t{2}));

  // Stale: written as the settings are when the write is asked for.
  state->form1.set_text(Form1Control::item_max, "1");
  QTest::qWait(300);
  EXPECT_TRUE(child(preview, "stale")->isVisible());
  std::string asked;
  preview->ask = [&asked](const std::string& question) { return !(asked = question).empty(); };
  bool held = false;  // Execute, delete, Show Stats and Repair all disabled at once
  const auto shown_change = state->form1.on_changed;
  state->form1.on_changed = [&](Form1Control control) {
    shown_change(control);
    const auto off = [&](Form1Control c) { return !state->form1.button(c).enabled; };
    held = held || (off(Form1Control::Command1) && off(Form1Control::Command2) &&
                    off(Form1Control::Command3) && off(Form1Control::Command4));
  };
  GeneralLog log;
  click(child(preview, "write"));
  for (QDeadlineTimer limit(20000); asked.empty() && !limit.hasExpired();) QTest::qWait(5);
  settle();
  state->form1.on_changed = shown_change;
  std::set<long long> writing;  // the connections that sent the transaction
  for (const LogEntry& entry : log.statements())
    if (entry.argument.starts_with("INSERT") || entry.argument == "COMMIT")
      writing.insert(entry.connection);
  // Two connections: the plan made again, then the write.
  EXPECT_EQ(
      std::tuple(asked, held, state->form1.button(Form1Control::Command2).enabled,
                 log.connections().size(), writing.size(), ui.messages.back().substr(0, 50)),
      std::tuple("Write 2 drops with 2 entries in one transaction?", true, true, std::size_t{2},
                 std::size_t{1}, "Written in one transaction: 2 drops with 2 entries"));
  EXPECT_EQ(fixture_rows("SELECT d.id, e.item_id FROM lootdrop d JOIN lootdrop_entries e ON "
                         "e.lootdrop_id=d.id ORDER BY d.id"),
            (Rows{{shown_rows()[0][2], shown_rows()[0][3].substr(0, 1)},
                  {shown_rows()[1][2], shown_rows()[1][3].substr(0, 1)}}));
  EXPECT_FALSE(child(preview, "write")->isEnabled());  // written once
  EXPECT_EQ(text_of(child(preview, "progress_text")),
            "Written as run " + journal_value("ui_test_journal.sqlite3",
                                              "SELECT MAX(id) FROM runs WHERE command='preview'"));
  main->history_window().open();
  ui::HistoryWindow* history = main->history_window().window();
  history->ask = [](const std::string&) { return true; };

  child<QCheckBox>(preview, "copies")->click();  // plans again at once
  settle();
  loot::WindowInputs copying(*state);
  copying.isolate_shared = true;
  random.pin_seed(child<QLineEdit>(preview, "seed")->text().toULongLong());
  const bool summarized =
      text_of(child(preview, "totals"))
          .find(
              "\nShared loottables: 1 copied for the range (1 NPCs moved "
              "to the copies; 1 NPCs outside keep the originals)\n") != std::string::npos;
  EXPECT_EQ(std::pair(shown_rows(), summarized),
            std::pair(planned_rows(loot::plan_run(copying, connection, random)), true));
  bool undo_waited = false;  // run 1 stays undoable, yet Undo is off while the Preview writes
  state->form1.on_changed = [&](Form1Control control) {
    shown_change(control);
    undo_waited = undo_waited || (!state->form1.button(Form1Control::Command2).enabled &&
                                  !child(history, "undo")->isEnabled());
  };
  click(child(preview, "write"));
  settle();
  state->form1.on_changed = shown_change;
  EXPECT_EQ(
      std::pair(undo_waited, fixture_rows("SELECT id, loottable_id FROM npc_types ORDER BY id")),
      std::pair(true, Rows{{"1", "7"}, {"2", "9"}, {"3", "8"}}));
  main->history_window().open();
  click(child(history, "undo"));
  child<QTableWidget>(history, "runs")->selectRow(1);
  click(child(history, "undo"));
  EXPECT_EQ(std::pair(world_checksums(), ui.messages.back()),
            std::pair(before, std::string("Run 1 was undone.")));

  fixture_sql("ALTER TABLE lootdrop ENGINE=MyISAM");
  click(child(preview, "plan_again"));
  settle();
  click(child(preview, "write"));
  settle();
  EXPECT_EQ(std::pair(fixture_value("SELECT (SELECT COUNT(*) FROM lootdrop)+(SELECT COUNT(*) FROM "
                                    "lootdrop_entries)+(SELECT COUNT(*) FROM loottable_entries)"),
                      ui.messages.back()),
            std::pair(std::string("0"),
                      std::string("Table lootdrop uses the MyISAM engine, which cannot roll back: "
                                  "the run could not be all or nothing.\r\nNothing was written.")));

  // Cancel while planning waits for the locked NPCs: no plan, no message, no thread.
  const std::size_t messages = ui.messages.size();
  const app::Preview* shown = preview->preview();
  fixture_sql("LOCK TABLES npc_types WRITE");
  click(child(preview, "plan_again"));
  click(child(preview, "cancel"));
  fixture_sql("UNLOCK TABLES");
  settle();
  EXPECT_EQ(std::tuple(preview->working(), ui.messages.size(), preview->preview()),
            std::tuple(false, messages, shown));
  preview->close();
}

// A plan with long names: the last column's heading still fits at any window
// width, and the progress bar shows only while the Preview plans.
TEST_F(Windows, PreviewsLastHeadingFitsAndTheProgressBarShowsOnlyWhileWorking) {
  reset_world();
  const std::string long_name(60, 'x');
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1,'" + long_name + "',10),(2,'" +
              long_name + "',10),(3,'" + long_name + "',10)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'" + long_name +
              "',5,7),(2,'m',6,8)");
  state->form1.set_text(Form1Control::perc_of_npcs, "101");
  state->form1.set_text(Form1Control::item_max, "3");
  main->preview_window().open();
  ui::PreviewWindow* preview = main->preview_window().window();
  ASSERT_NE(preview, nullptr);
  auto* bar = preview->findChild<QProgressBar*>("progress");
  const auto settle = [&] { settled(preview); };
  QHeaderView* header = preview->findChild<QTableView*>("drops")->horizontalHeader();
  const int last = ui::PreviewModel::anything;
  std::vector<int> clipped;  // while the first plan is made
  for (int column = 0; column <= last; ++column)
    if (header->sectionSize(column) < header->sectionSizeHint(column)) clipped.push_back(column);
  EXPECT_EQ(clipped, std::vector<int>{});
  settle();
  ASSERT_NE(preview->preview(), nullptr);
  for (int width : {1600, 1200, 960}) {
    preview->resize(width, 680);
    QApplication::processEvents();
    EXPECT_GE(header->sectionSize(last), header->sectionSizeHint(last)) << width;
    EXPECT_GT(header->sectionSize(last),
              header->fontMetrics().horizontalAdvance("Anything per kill, before → after"))
        << width;
  }
  const bool idle_hidden = bar->isHidden();
  fixture_sql("LOCK TABLES npc_types WRITE");
  preview->plan();
  const bool planning_shown = !bar->isHidden();
  preview->cancel_Click();
  fixture_sql("UNLOCK TABLES");
  settle();
  EXPECT_EQ(std::tuple(idle_hidden, planning_shown, bar->isHidden()), std::tuple(true, true, true));
  preview->close();
}

// While a command runs (here Execute, letting events through per NPC), a right
// click on the background and Ctrl+H open nothing: a modal menu would hold the run up.
TEST_F(Windows, RightClickAndCtrlHWaitWhileACommandRuns) {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1,'a',10)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,7),(2,'m',5,8)");
  show_main();
  int menus = 0;
  ui.on_process_events = [&] {
    QTimer::singleShot(0, [&menus] {
      if (QWidget* shown = QApplication::activePopupWidget()) ++menus, shown->close();
    });
    drag(main.get(), {300, 606}, {1, 1}, Qt::RightButton, Qt::RightButton);
    QTest::keyClick(main.get(), Qt::Key_H, Qt::ControlModifier);
  };
  state->form1.set_text(Form1Control::item_max, "1");
  click(control("Command2"));
  ui.on_process_events = nullptr;
  QApplication::processEvents();
  EXPECT_EQ(std::tuple(ui.messages.back(), menus, main->history_window().window() == nullptr),
            std::tuple("Completed!", 0, true));
}

// The journal's place: only absolute folders count, never the working directory.
TEST(JournalPlace, NamedByTheEnvironmentOrNone) {
  const char* names[] = {"VANDRIL_LOOT_JOURNAL", "XDG_DATA_HOME", "HOME"};
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : names)
    saved[name] = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
  // clang-format off
  const struct { const char* journal; const char* data; const char* home; std::string path; } cases[] = {
    {"j.sqlite3", "/data", "/home/op", "j.sqlite3"},
    {nullptr, "/data", "/home/op", "/data/vandril_loot/journal.sqlite3"},
    {nullptr, "data", "/home/op", "/home/op/.local/share/vandril_loot/journal.sqlite3"},
    {"", "", "/home/op", "/home/op/.local/share/vandril_loot/journal.sqlite3"},
    {nullptr, nullptr, "home", ""},
    {nullptr, nullptr, nullptr, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    const char* values[] = {c.journal, c.data, c.home};
    for (std::size_t i = 0; i < std::size(names); ++i)
      values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
    EXPECT_EQ(journal::default_journal_path(), c.path) << c.path;
  }
  for (const auto& [name, value] : saved)
    value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());

  auto state = std::make_unique<ProgramState>();
  RecordingUi ui;
  app::WindowJournal nowhere("");
  ui::CommandTurns turns;
  ui::HistoryWindow history(*state, ui, nowhere, turns);
  EXPECT_EQ(
      text_of(child(&history, "unavailable")),
      "Undo is unavailable: there is no place for the journal: neither XDG_DATA_HOME nor HOME "
      "names a folder.");
}

TEST_F(Windows, RulesWindowOpensOnceAndHandsItsTextOverBeforeAButtonActs) {
  QPointer<ui::RulesWindow> rules = open("Command5", &ui::FilterWindows::rules_window);
  EXPECT_TRUE(main->isEnabled());  // modeless
  auto* r = child<QPlainTextEdit>(rules, "r");
  rules->set_r_text("x\r\ny");
  EXPECT_EQ(r->toPlainText(), "x\ny");
  rules->set_r_text("ac>=5");
  rules->r_LostFocus();
  EXPECT_EQ(open("Command5", &ui::FilterWindows::rules_window), rules);  // brought forward, kept
  EXPECT_EQ(rules->r_text(), "ac>=5");
  r->setFocus();
  r->setPlainText("name like 'banded%' OR");
  r->moveCursor(QTextCursor::End);
  QTest::keyClick(r, Qt::Key_Return);
  r->insertPlainText("name like 'mesh%'");
  click(child(rules, "ok"));
  flush_deletes();
  EXPECT_EQ(std::pair(rules.isNull(), state->item_rules),
            std::pair(true, std::string(" AND name like 'banded%' OR\r\nname like 'mesh%'")));
  rules = open("Command5", &ui::FilterWindows::rules_window);  // loaded afresh with the default
  EXPECT_EQ(rules->r_text(), "reqlevel<=10 AND ac<=5");
  state->current_sql = "SELECT 1";
  click(child(rules, "Command2"));  // Ignore
  flush_deletes();
  EXPECT_EQ(std::tuple(state->item_rules, state->current_sql, rules.isNull()),
            std::tuple("", "", true));
}

TEST_F(Windows, RulesTestQueryTakesTheEditedTextAndALostConnectionEndsTheProgram) {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype,ac) VALUES (1,'a',10,30),(2,'b',10,1)");
  QPointer<ui::RulesWindow> rules = open("Command5", &ui::FilterWindows::rules_window);
  ASSERT_EQ(QApplication::activeWindow(), rules);
  auto* r = child<QPlainTextEdit>(rules, "r");
  const GeneralLog log;
  for (const char* text : {"ac>=20", "colour=1"}) {
    r->setFocus();
    r->setPlainText(text);
    click(child(rules, "Command3"));
  }
  EXPECT_EQ(log.statement_texts(),
            Texts{"SELECT COUNT(id) from items WHERE ( itemtype=10) AND ac>=20"});
  EXPECT_EQ(ui.messages, (Texts{"Query Passed: 1 items match criteria",
                                "Error in Query - check the field names and syntax"}));
  EXPECT_EQ(std::tuple(state->item_rules, r->toPlainText().toStdString(),
                       text_of(child(rules, "Command3")), rules->isVisible(), exits.empty()),
            std::tuple("", "colour=1", "Test Query", true, true));
  click(child(rules, "Command1"));  // "?": the help window opens beside this one
  ASSERT_NE(main->help_window().window(), nullptr);
  EXPECT_EQ(std::pair(main->help_window().window()->isModal(), rules->isVisible()),
            std::pair(false, true));
  ui.messages.clear();
  ui.on_message = [this](const std::string&) {  // each message before its end
    EXPECT_EQ(exits.size() + 1, ui.messages.size());
  };
  state->db_password = "not the password";
  click(child(rules, "Command3"));
  click(control("Command3"));
  EXPECT_EQ(std::pair(ui.messages, exits),
            std::pair(Texts{kConnectionFailed, kConnectionFailed}, std::vector<int>{2, 2}));
}

TEST_F(Windows, CustomItemListWindowTurnsAPastedListIntoSlots) {
  QPointer<ui::CustomItemListWindow> list = open("Command6", &ui::FilterWindows::list_window);
  auto* box = child<QPlainTextEdit>(list, "customlist");
  EXPECT_EQ(open("Command6", &ui::FilterWindows::list_window), list);  // opens once
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Tab);  // leaves the box for GO instead of typing a TAB
  EXPECT_EQ(std::pair(QApplication::focusWidget(), box->toPlainText()),
            std::pair(child(list, "ok"), QString()));
  const auto paste = [&](const QString& text) {
    QApplication::clipboard()->setText(text);
    box->moveCursor(QTextCursor::End);
    box->paste();
  };
  paste("1001\r\n");  // Clear List empties the box, drops the list and stays open
  click(child(list, "Command1"));
  EXPECT_EQ(std::tuple(box->toPlainText(), state->custom_list_active, list.isNull()),
            std::tuple(QString(), false, false));
  paste("2002\r\n");
  click(control("clearlist"));     // Remove Item List, with the list window open
  click(child(list, "Command2"));  // Nevermind
  flush_deletes();
  EXPECT_EQ(std::tuple(state->custom_item_ids[1], list.isNull(), ui.messages),
            std::tuple(0.0, true, Texts{"Custom List Deleted!"}));
  list = open("Command6", &ui::FilterWindows::list_window);
  box = child<QPlainTextEdit>(list, "customlist");
  // From a spreadsheet (name, TAB, id) with CR LF, and lines with LF alone.
  paste("Rusty Sword\t1001\r\nCloth Cap\t1002\r\n");
  paste("10 03\n1004\n");
  EXPECT_EQ(list->customlist_text(), "Rusty Sword\t1001\r\nCloth Cap\t1002\r\n10 03\r\n1004\r\n");
  click(child(list, "ok"));
  flush_deletes();
  EXPECT_EQ(
      std::tuple(state->custom_item_ids[4], state->custom_item_ids[5], text_of(control("Command6")),
                 control("Command5")->isEnabled(), list.isNull(), ui.messages.back()),
      std::tuple(1004.0, 0.0, "Custom Item List - [4 items]", false, true,
                 "Custom List Created [4 items]"));
}

TEST_F(Windows, HelpWindowOpensOnceAndComesBackAfresh) {
  ui::HelpWindowOpener& opener = main->help_window();
  opener.open();
  ui::HelpWindow* help = opener.window();
  ASSERT_TRUE(help && help->isVisible());
  const std::string text = help->r_text();
  child<QPlainTextEdit>(help, "r")->setPlainText("a\nb\n");  // line breaks come back as CR LF
  opener.open();  // already loaded: only brought forward, text kept
  EXPECT_EQ(std::pair(opener.window(), help->r_text()), std::pair(help, std::string("a\r\nb\r\n")));
  click(child(help, "Command1"));  // Back unloads; the next opening shows the text afresh
  flush_deletes();
  EXPECT_EQ(opener.window(), nullptr);
  opener.open();
  EXPECT_EQ(std::pair(opener.window()->r_text(), help::help_text()), std::pair(text, text));
}

TEST(StartUp, SetsTheStartStateWithoutTouchingTheDatabase) {
  RecordingUi ui;
  const GeneralLog log;
  auto state = std::make_unique<ProgramState>();
  state->level_low = state->level_high = "xx";
  ASSERT_TRUE(form1::Form_Load(*state, ui, write_db_ini("ui_test_db.ini")));
  const Texts ranges(kLevelEntries.begin(), kLevelEntries.end());
  EXPECT_EQ(state->form1.level_entries(), ranges);
  EXPECT_EQ(std::tuple(state->form1.level_selected(), state->level_low + "-" + state->level_high,
                       state->item_max_count, state->db_host, state->db_connection == nullptr,
                       log.connections().size(), ui.messages.size()),
            std::tuple(-1, "01-10", 5, db_settings().host, true, 0u, 0u));
  for (int i = 7; i >= 0; --i) {
    state->form1.select_level(i);
    form1::level_Click(*state);
    EXPECT_EQ(state->level_low + "-" + state->level_high, ranges[i]) << i;
  }
}

TEST(StartUp, WithoutAUsableDbIniShowsOnlyTheMessageAndMakesNoWindow) {
  std::filesystem::create_directory("ui_test_folder.ini");
  std::ofstream("ui_test_incomplete.ini") << "host=h\npassword=\ndatabase=d\n";
  for (const char* path : {"ui_test_missing.ini", "ui_test_incomplete.ini", "ui_test_folder.ini"}) {
    RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    std::filesystem::remove("ui_test_start_journal.sqlite3");
    app::WindowJournal journal("ui_test_start_journal.sqlite3");
    EXPECT_EQ(ui::load_main_window(*state, ui, journal, path), nullptr) << path;
    EXPECT_EQ(ui.messages, Texts{"DB.INI Invalid or Missing"}) << path;
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << path;
    EXPECT_FALSE(std::filesystem::exists("ui_test_start_journal.sqlite3")) << path;
  }
}

TEST(ItemMax, TheBoxEndsAsANumberOr5Or100) {
  auto state = std::make_unique<ProgramState>();
  form1::install_handlers(*state);
  // clang-format off
  const struct { std::string typed, text_after; int count; } cases[] = {
      {"150", "100", 100}, {"100.5", "100", 100}, {"", "5", 5}, {"1e400", "5", 5},  // above 100; no number
      {" \t7\r\n", " \t7\r\n", 7}, {"0", "0", 0}, {"3.5", "3.5", 4},  // kept as typed, halves to even
      {"-32768.5", "-32768.5", -32768}, {"-32768.6", "5", 5}};  // 16 bits
  // clang-format on
  for (const auto& c : cases) {
    state->item_max_count = 77;
    state->form1.set_text(Form1Control::item_max, c.typed);
    EXPECT_EQ(std::pair(state->form1.text(Form1Control::item_max), int{state->item_max_count}),
              std::pair(c.text_after, c.count))
        << '"' << c.typed << '"';
  }
}

TEST(QtUi, MessageBoxIsModalPlainTextWithOkOnlyNoIconAndTheProgramsTitle) {
  QString seen;  // title|text|no icon|OK alone|no icon on it|modal
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    auto* ok = box->button(QMessageBox::Ok);
    seen = box->windowTitle() + "|" + box->text() +
           QString("|%1|%2|%3|%4")
               .arg(box->icon())
               .arg(box->buttons().size())
               .arg(ok->icon().isNull())
               .arg(box->isModal());
    ok->click();
  });
  ui::QtUi().message_box("one\r\n<b>two</b>");
  EXPECT_EQ(seen, "vandril_loot|one\n<b>two</b>|0|1|1|1");
}

// A lost connection ends the program after its message: see the windows' rows above.
TEST(CommandGuard, OtherFailuresAreShownAndTheWindowIsUsableAgain) {
  // clang-format off
  const struct { const char* name; std::function<void()> fail; std::string shown; } cases[] = {
      {"rejected statement", [] { throw db::Error("Unknown column 'x' in 'SELECT'", "42S22", 1054); },
       "Unknown column 'x' in 'SELECT'"},
      {"program's slip", [] { throw db::UsageError("The result set is closed."); },
       "The command was stopped by a fault in this program, not by the database:\r\nThe result set is closed."}};
  // clang-format on
  for (const auto& c : cases) {
    RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    state->form1.add_level_entry("01-10");
    state->form1.set_lx(">Ready");
    state->form1.set_enabled(Form1Control::Command4, false);
    app::run_command(
        *state, ui,
        [&c](ProgramState& s, UiPort&) {
          s.form1.set_enabled(Form1Control::Command2, false);
          s.form1.set_caption(Form1Control::Command1, "WORKING...");
          s.form1.set_lx("> 3/120");
          s.form1.set_progress_x2(9800);
          s.form1.set_lvls(1, "4\r\n");
          c.fail();
        },
        [](int) { ADD_FAILURE() << "ended"; });
    const Form1Model& form = state->form1;  // as before, but counts already shown stay
    EXPECT_EQ(
        std::tuple(ui.messages, form.button(Form1Control::Command2).enabled,
                   form.button(Form1Control::Command4).enabled,
                   form.button(Form1Control::Command1).caption, form.lx(), form.progress().x2,
                   form.lvls(1)),
        std::tuple(Texts{c.shown}, true, false, "Delete ALL Custom Loot Drops For SELECTED Levels",
                   ">Ready", 11210.0, "4\r\n"))
        << c.name;
  }
}

}  // namespace
}  // namespace vl::test
