// The message box and the guard every command of the main window runs in.

#include "ui/qt_ui.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "db/odbc.h"
#include "support/recording_ui.h"
#include "ui/command_guard.h"

namespace vl {
namespace {

TEST(QtUi, MessageBoxIsModalPlainTextWithOkOnlyNoIconAndTheProgramsTitle) {
  QString seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = QStringList{box->windowTitle(),
                       box->text(),
                       QString::number(box->icon()),
                       QString::number(box->buttons().size()),
                       QString::number(box->button(QMessageBox::Ok)->icon().isNull()),
                       QString::number(box->isModal())}
               .join('|');
    box->button(QMessageBox::Ok)->click();
  });
  ui::QtUi().message_box("one\r\n<b>two</b>");
  // title | text | icon (none) | buttons | OK without icon | modal
  EXPECT_EQ(seen, "vandril_loot|one\n<b>two</b>|0|1|1|1");
}

// A lost connection ends the program after its message: see the main window's tests.
TEST(CommandGuard, OtherFailuresAreShownAndTheWindowIsUsableAgain) {
  const std::string server_text = "[ma-3.1.15]Unknown column 'x' in 'SELECT'";
  const struct {
    const char* name;
    std::function<void()> fail;
    std::string shown;
  } cases[] = {
      {"rejected statement", [&] { throw db::Error(server_text, "42S22", 1054); }, server_text},
      {"program's slip", [] { throw db::UsageError("The result set is closed."); },
       "The command was stopped by a fault in this program, not by the database:\r\n"
       "The result set is closed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::RecordingUi ui;
    auto state = std::make_unique<ProgramState>();
    state->form1.add_level_entry("01-10");
    state->form1.set_lx(">Ready");
    state->form1.set_enabled(Form1Control::Command4, false);
    ui::run_command(
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
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.shown});
    const Form1Model& form = state->form1;
    EXPECT_TRUE(form.button(Form1Control::Command2).enabled);
    EXPECT_FALSE(form.button(Form1Control::Command4).enabled);  // as it was before
    EXPECT_EQ(form.button(Form1Control::Command1).caption,
              "Delete ALL Custom Loot Drops For SELECTED Levels");
    EXPECT_EQ(form.lx(), ">Ready");
    EXPECT_EQ(form.progress().x2, 11210);
    EXPECT_EQ(form.lvls(1), "4\r\n");  // counts already shown stay
  }
}

}  // namespace
}  // namespace vl
