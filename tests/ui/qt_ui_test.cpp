// The message box and the guard every command of the main window runs in.

#include "ui/qt_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/database.h"
#include "db/odbc.h"
#include "support/recording_ui.h"
#include "ui/command_guard.h"
#include "ui/form1_window.h"
#include "ui_test_support.h"

namespace vl {
namespace {

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::Information;
  int buttons = 0;
  bool ok_has_icon = true;
  bool modal = false;
};

// Shows a message box through QtUi and reads it while it is open.
SeenBox show_and_read(const std::string& text) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = static_cast<int>(box->buttons().size());
    seen.ok_has_icon = !box->button(QMessageBox::Ok)->icon().isNull();
    seen.modal = box->isModal();
    box->button(QMessageBox::Ok)->click();
  });
  ui::QtUi qt_ui;
  qt_ui.message_box(text);
  return seen;
}

TEST(QtUi, MessageBoxIsModalWithOkOnlyNoIconAndTheProgramsTitle) {
  const SeenBox seen = show_and_read("Completed!");
  EXPECT_EQ(seen.title, "vandril_loot");
  EXPECT_EQ(seen.text, "Completed!");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_FALSE(seen.ok_has_icon);
  EXPECT_TRUE(seen.modal);

  EXPECT_EQ(show_and_read("one\r\ntwo\r\nthree").text, "one\ntwo\nthree");
  EXPECT_EQ(show_and_read("<b>x</b>").text, "<b>x</b>");  // plain text, as given
}

TEST(QtUi, MessageServiceCanBeReplaced) {
  ui::QtUi qt_ui;
  std::vector<std::string> shown;
  qt_ui.set_message_service([&shown](const std::string& text) { shown.push_back(text); });
  qt_ui.message_box("DB.INI Invalid or Missing");
  EXPECT_EQ(shown, std::vector<std::string>{"DB.INI Invalid or Missing"});
  int repaints = 0;
  qt_ui.set_repaint_service([&repaints] { ++repaints; });
  qt_ui.repaint();
  EXPECT_EQ(repaints, 1);
}

TEST(CommandGuard, ConnectionFailureShowsTheMessageThenEndsTheProgram) {
  test::RecordingUi ui;
  auto state = std::make_unique<ProgramState>();
  std::vector<std::string> order;
  ui.on_message = [&order](const std::string&) { order.push_back("message"); };
  ui::run_command(
      *state, ui,
      [](ProgramState& s, UiPort&) {
        s.form1.set_lx("WORKING...");
        throw db::ConnectionFailed("[ma-3.1.15]Can't connect");
      },
      [&order](int code) { order.push_back("end " + std::to_string(code)); });
  EXPECT_EQ(ui.messages, std::vector<std::string>{db::kConnectionFailedMessage});
  EXPECT_EQ(order, (std::vector<std::string>{"message", "end 2"}));
}

TEST(CommandGuard, OtherFailuresAreShownAndTheWindowIsUsableAgain) {
  test::RecordingUi ui;
  auto state = std::make_unique<ProgramState>();
  state->form1.set_lx(">Ready");
  state->form1.set_enabled(Form1Control::Command4, false);
  bool ended = false;
  ui::run_command(
      *state, ui,
      [](ProgramState& s, UiPort&) {
        s.form1.set_enabled(Form1Control::Command2, false);
        s.form1.set_enabled(Form1Control::Command3, false);
        s.form1.set_caption(Form1Control::Command1, "WORKING...");
        s.form1.set_lx("> 3/120");
        s.form1.set_progress_x2(9800);
        s.form1.set_lvls(1, "4\r\n");
        throw db::Error("[ma-3.1.15][10.11.19-MariaDB]Unknown column 'x' in 'SELECT'", "42S22",
                        1054);
      },
      [&ended](int) { ended = true; });
  EXPECT_FALSE(ended);
  EXPECT_EQ(ui.messages, std::vector<std::string>{
                             "[ma-3.1.15][10.11.19-MariaDB]Unknown column 'x' in 'SELECT'"});
  const Form1Model& form = state->form1;
  EXPECT_TRUE(form.button(Form1Control::Command2).enabled);
  EXPECT_TRUE(form.button(Form1Control::Command3).enabled);
  EXPECT_FALSE(form.button(Form1Control::Command4).enabled);  // as it was before
  EXPECT_EQ(form.button(Form1Control::Command1).caption,
            "Delete ALL Custom Loot Drops For SELECTED Levels");
  EXPECT_EQ(form.lx(), ">Ready");
  EXPECT_EQ(form.progress().x2, 11210);
  EXPECT_EQ(form.lvls(1), "4\r\n");  // counts already shown stay

  ui.messages.clear();
  ui::run_command(
      *state, ui, [](ProgramState& s, UiPort&) { s.form1.set_lx("done"); }, [](int) {});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->form1.lx(), "done");
}

TEST(CommandGuard, AMainWindowButtonEndsTheProgramWhenTheServerRefusesTheConnection) {
  test::RecordingUi ui;
  auto state = test::loaded_state(ui);
  state->db_password = "not_the_password";  // the server refuses the login
  ui::Form1Window window(*state, ui);
  std::vector<int> exit_codes;
  window.end_program = [&exit_codes](int code) { exit_codes.push_back(code); };
  window.findChild<QPushButton*>("Command3")->click();
  EXPECT_EQ(ui.messages, std::vector<std::string>{db::kConnectionFailedMessage});
  EXPECT_EQ(exit_codes, std::vector<int>{ui::kExitConnectionFailed});
}

}  // namespace
}  // namespace vl
