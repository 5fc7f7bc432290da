// The rules window: its look, how it loads, and that a click on its buttons
// hands the edited rule text over before the button acts.

#include "ui/rules_window.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <map>

#include "db/database.h"
#include "filter_window_support.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/filter_background.h"

namespace vl {
namespace {

using test::RecordingUi;

class RulesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_world();
    test::configure(*state);
    window = new ui::RulesWindow(
        *state, ui, [this] { ++help_openings; }, [this](int code) { exit_codes.push_back(code); });
    destroyed = window;
  }
  void TearDown() override {
    delete destroyed.data();
    test::flush_deletes();
  }

  template <typename T = QWidget>
  T* control(const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QPlainTextEdit* r() { return control<QPlainTextEdit>("r"); }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  ui::RulesWindow* window = nullptr;
  QPointer<ui::RulesWindow> destroyed;
  int help_openings = 0;
  std::vector<int> exit_codes;
};

TEST_F(RulesWindowTest, LooksAsDesigned) {
  EXPECT_EQ(window->objectName(), "rules");
  EXPECT_EQ(window->windowTitle(), "Rules");
  EXPECT_EQ(window->size(), QSize(373, 268));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(window->isModal());
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor("#000040"));
  EXPECT_EQ(window->palette().color(QPalette::WindowText), QColor("#FFFFFF"));

  EXPECT_EQ(r()->geometry(), QRect(16, 16, 345, 193));
  EXPECT_EQ(r()->font().family(), "Verdana");
  EXPECT_DOUBLE_EQ(r()->font().pointSizeF(), 12);
  EXPECT_FALSE(r()->font().bold());
  EXPECT_EQ(r()->palette().color(QPalette::Text), QColor("#FFFFFF"));
  EXPECT_EQ(r()->palette().color(QPalette::Base), QColor("#000040"));

  const std::map<const char*, std::pair<QString, QRect>> buttons = {
      {"Command2", {"Ignore", {256, 216, 57, 33}}},
      {"Command3", {"Test Query", {16, 216, 121, 33}}},
      {"Command1", {"?", {320, 216, 33, 33}}},
      {"ok", {"OK", {144, 216, 33, 33}}}};
  for (const auto& [name, expected] : buttons) {
    auto* button = control<QPushButton>(name);
    EXPECT_EQ(button->text(), expected.first) << name;
    EXPECT_EQ(button->geometry(), expected.second) << name;
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << name;
    EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus) << name;
  }

  // Tab order: r, Ignore, Test Query, ?, OK.
  EXPECT_EQ(test::tab_order(*window, r()),
            (std::vector<std::string>{"r", "Command2", "Command3", "Command1", "ok"}));

  // The painted background fills the client area.
  const QImage picture = ui::paint_filter_background();
  EXPECT_EQ(picture.size(), QSize(373, 268));
  EXPECT_EQ(picture.depth(), 24);
  const QImage shown = window->grab().toImage();
  for (QPoint at : {QPoint(1, 1), QPoint(186, 212), QPoint(370, 265)}) {
    EXPECT_EQ(shown.pixelColor(at), picture.pixelColor(at)) << at.x() << "," << at.y();
  }
}

TEST_F(RulesWindowTest, LoadingShowsTheDefaultRule) {
  EXPECT_EQ(r()->toPlainText(), "reqlevel<=10 AND ac<=5");
  EXPECT_EQ(state->item_rules, " AND reqlevel<=10 AND ac<=5");
  EXPECT_EQ(window->r_text(), "reqlevel<=10 AND ac<=5");
}

TEST_F(RulesWindowTest, ClickingTestQueryTakesTheEditedTextFirst) {
  test::fixture_sql("INSERT INTO items (id,name,itemtype,ac) VALUES (1,'a',10,30),(2,'b',10,1)");
  test::show_active(*window);
  ASSERT_EQ(QApplication::activeWindow(), window);
  r()->setFocus();
  r()->setPlainText("ac>=20");
  ASSERT_EQ(state->item_rules, " AND reqlevel<=10 AND ac<=5");

  test::GeneralLog log;
  test::click(control<QPushButton>("Command3"));
  EXPECT_EQ(
      log.statement_texts(),
      std::vector<std::string>{"SELECT COUNT(id) from items WHERE ( itemtype=10) AND ac>=20"});
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Query Passed: 1 items match criteria"});
  EXPECT_EQ(control<QPushButton>("Command3")->text(), "Test Query");
  EXPECT_TRUE(window->isVisible());

  // "?" opens the help window and leaves this one open.
  test::click(control<QPushButton>("Command1"));
  EXPECT_EQ(help_openings, 1);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(RulesWindowTest, TypedLineBreaksReachTheRulesAsCrLf) {
  test::show_active(*window);
  r()->setFocus();
  r()->clear();
  r()->insertPlainText("name like 'banded%' OR");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(r(), &enter);
  r()->insertPlainText("name like 'mesh%'");
  test::click(control<QPushButton>("ok"));
  EXPECT_EQ(state->item_rules, " AND name like 'banded%' OR\r\nname like 'mesh%'");
  test::flush_deletes();
  EXPECT_EQ(destroyed, nullptr);  // OK unloads the window
}

TEST_F(RulesWindowTest, PastedTextKeepsItsLineBreaksAsCrLf) {
  QApplication::clipboard()->setText("ac>=1 OR\r\nac<=0\nOR ac=5");
  r()->clear();
  r()->paste();
  EXPECT_EQ(window->r_text(), "ac>=1 OR\r\nac<=0\r\nOR ac=5");
  window->set_r_text("x\r\ny");
  EXPECT_EQ(r()->toPlainText(), "x\ny");
}

TEST_F(RulesWindowTest, RejectedRuleShowsTheErrorAndKeepsTheText) {
  test::show_active(*window);
  r()->setFocus();
  r()->setPlainText("colour=1");
  test::click(control<QPushButton>("Command3"));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Error in Query - check the field names and syntax"});
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(r()->toPlainText(), "colour=1");
  EXPECT_EQ(control<QPushButton>("Command3")->text(), "Test Query");
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(exit_codes.empty());
}

TEST_F(RulesWindowTest, LostConnectionEndsTheProgram) {
  state->db_password = "not the password";
  test::click(control<QPushButton>("Command3"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{db::kConnectionFailedMessage});
  EXPECT_EQ(exit_codes, std::vector<int>{ui::kExitConnectionFailed});
}

TEST_F(RulesWindowTest, IgnoreClearsAndUnloads) {
  state->current_sql = "SELECT 1";
  test::click(control<QPushButton>("Command2"));
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(state->current_sql, "");
  EXPECT_FALSE(window->isVisible());
  test::flush_deletes();
  EXPECT_EQ(destroyed, nullptr);
}

TEST_F(RulesWindowTest, DraggedByItsBackground) {
  test::show_active(*window);
  window->move(100, 100);
  const QPoint before = window->pos();
  test::drag_background(*window, QPoint(200, 260), QPoint(30, 40));
  EXPECT_EQ(window->pos(), before + QPoint(30, 40));

  // A drag that starts on a control moves nothing.
  const QPoint after = window->pos();
  auto* ok = control<QPushButton>("ok");
  test::send_mouse(ok, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  test::send_mouse(ok, QEvent::MouseMove, {50, 50}, Qt::NoButton, Qt::LeftButton);
  test::send_mouse(ok, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window->pos(), after);
}

}  // namespace
}  // namespace vl
