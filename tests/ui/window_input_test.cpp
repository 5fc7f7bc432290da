// The main window's keyboard and right button: the option group as one tab
// stop that the arrow keys move inside, the Preview and History keys left to a
// text box that has the focus, and the background menu on a label's right click.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/window/window_journal.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/form1_window.h"
#include "ui/program.h"

namespace vl::test {
namespace {

class WindowInput : public ::testing::Test {
 protected:
  void SetUp() override {
    main = ui::load_main_window(*state, ui, journal, write_db_ini("window_input_db.ini"));
    ASSERT_NE(main, nullptr);
    main->show();
    QApplication::setActiveWindow(main.get());
  }
  void TearDown() override {
    main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QWidget* control(const char* name) { return main->findChild<QWidget*>(name); }
  // Names of the controls Tab visits from `level` on, once round.
  Texts tab_stops() {
    Texts stops;
    QWidget* first = control("level");
    QWidget* next = first;
    do {
      if (next->focusPolicy() & Qt::TabFocus) stops.push_back(next->objectName().toStdString());
      next = next->nextInFocusChain();
    } while (next != first && next != main.get());
    return stops;
  }
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
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  app::WindowJournal journal{[] {
    std::filesystem::remove("window_input_journal.sqlite3");
    return "window_input_journal.sqlite3";
  }()};
  std::unique_ptr<ui::Form1Window> main;
};

TEST_F(WindowInput, TheOptionGroupIsOneTabStopAndTheArrowKeysMoveInsideIt) {
  const Texts stops = {
      "level",    "Command1",          "perc_of_npcs",      "Command4", "op0",
      "Command5", "Command2",          "Command3",          "Command6", "clearlist",
      "item_max", "lootdrop_percentx", "loottable_percentx"};
  EXPECT_EQ(tab_stops(), stops);
  control("op0")->setFocus();
  QTest::keyClick(control("op0"), Qt::Key_Down);
  Texts moved = stops;
  moved[4] = "op1";
  EXPECT_EQ(std::tuple(state->form1.op_selected(), QApplication::focusWidget(), tab_stops()),
            std::tuple(1, control("op1"), moved));
}

TEST_F(WindowInput, CtrlPAndCtrlHActOnlyWhenNoTextBoxHasTheFocus) {
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

TEST_F(WindowInput, ARightClickOnALabelOpensTheBackgroundMenuOneOnAnInputDoesNot) {
  for (const char* label : {"statistical", "lvls3", "Label5", "Label6", "lx", "Label1"})
    EXPECT_TRUE(menu_after_right_click(label)) << label;
  for (const char* input : {"item_max", "Command3", "level", "op2"})
    EXPECT_FALSE(menu_after_right_click(input)) << input;
}

}  // namespace
}  // namespace vl::test
