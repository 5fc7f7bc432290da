// The rules window as "Rules" opens it: one window, loaded with the default
// rule, and a click on its buttons hands the edited text over before the
// button acts.

#include "ui/rules_window.h"

#include <QPlainTextEdit>

#include "db/database.h"
#include "ui_test_support.h"

namespace vl {
namespace {

using test::child;

class RulesWindowTest : public test::MainWindowTest {
 protected:
  QPushButton* rules_button(const char* name) { return child<QPushButton>(rules, name); }
  QPlainTextEdit* r() { return child<QPlainTextEdit>(rules, "r"); }
};

TEST_F(RulesWindowTest, OneWindowLoadedWithTheDefaultRule) {
  open_rules();
  EXPECT_EQ(rules->windowTitle(), "Rules");
  EXPECT_EQ(rules->size(), QSize(373, 268));
  EXPECT_TRUE(rules->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(main->isEnabled());  // modeless
  EXPECT_EQ(r()->geometry(), QRect(16, 16, 345, 193));
  for (const auto& [name, caption, rect] : std::vector<std::tuple<const char*, QString, QRect>>{
           {"Command2", "Ignore", {256, 216, 57, 33}},
           {"Command3", "Test Query", {16, 216, 121, 33}},
           {"Command1", "?", {320, 216, 33, 33}},
           {"ok", "OK", {144, 216, 33, 33}}}) {
    EXPECT_EQ(rules_button(name)->text(), caption) << name;
    EXPECT_EQ(rules_button(name)->geometry(), rect) << name;
    EXPECT_FALSE(rules_button(name)->isDefault() || rules_button(name)->autoDefault()) << name;
  }
  EXPECT_EQ(test::tab_order(r(), 5),
            (std::vector<std::string>{"r", "Command2", "Command3", "Command1", "ok"}));
  EXPECT_EQ(r()->toPlainText(), "reqlevel<=10 AND ac<=5");
  EXPECT_EQ(state->item_rules, " AND reqlevel<=10 AND ac<=5");

  rules->set_r_text("ac>=5");
  rules->r_LostFocus();
  const QPointer<ui::RulesWindow> first = rules;
  open_rules();  // the same window brought forward, typed rules kept
  EXPECT_EQ(rules, first);
  EXPECT_EQ(rules->r_text(), "ac>=5");

  test::click(rules_button("ok"));
  test::flush_deletes();
  EXPECT_EQ(rules, nullptr);
  EXPECT_EQ(state->item_rules, " AND ac>=5");
  open_rules();  // loaded afresh with the default
  EXPECT_EQ(rules->r_text(), "reqlevel<=10 AND ac<=5");
}

TEST_F(RulesWindowTest, ClickingTestQueryTakesTheEditedTextFirst) {
  test::reset_world();
  test::fixture_sql("INSERT INTO items (id,name,itemtype,ac) VALUES (1,'a',10,30),(2,'b',10,1)");
  open_rules();
  ASSERT_EQ(QApplication::activeWindow(), rules);
  const test::GeneralLog log;
  r()->setFocus();
  r()->setPlainText("ac>=20");
  test::click(rules_button("Command3"));
  EXPECT_EQ(
      log.statement_texts(),
      std::vector<std::string>{"SELECT COUNT(id) from items WHERE ( itemtype=10) AND ac>=20"});
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Query Passed: 1 items match criteria"});
  EXPECT_EQ(rules_button("Command3")->text(), "Test Query");

  test::click(rules_button("Command1"));  // "?": the help window opens beside this one
  ASSERT_NE(main->help_window().window(), nullptr);
  EXPECT_FALSE(main->help_window().window()->isModal());
  EXPECT_TRUE(rules->isVisible());
}

TEST_F(RulesWindowTest, LineBreaksAreCrLfInTheRuleText) {
  open_rules();
  rules->set_r_text("x\r\ny");
  EXPECT_EQ(r()->toPlainText(), "x\ny");

  r()->setFocus();
  r()->setPlainText("name like 'banded%' OR");
  r()->moveCursor(QTextCursor::End);
  QTest::keyClick(r(), Qt::Key_Return);
  r()->insertPlainText("name like 'mesh%'");
  test::click(rules_button("ok"));
  EXPECT_EQ(state->item_rules, " AND name like 'banded%' OR\r\nname like 'mesh%'");
}

TEST_F(RulesWindowTest, RejectedRuleKeepsTheTextAndALostConnectionEndsTheProgram) {
  open_rules();
  r()->setFocus();
  r()->setPlainText("colour=1");
  test::click(rules_button("Command3"));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Error in Query - check the field names and syntax"});
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(r()->toPlainText(), "colour=1");
  EXPECT_EQ(rules_button("Command3")->text(), "Test Query");
  EXPECT_TRUE(rules->isVisible());
  EXPECT_TRUE(exit_codes.empty());

  ui.messages.clear();
  state->db_password = "not the password";
  test::click(rules_button("Command3"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{db::kConnectionFailedMessage});
  EXPECT_EQ(exit_codes, std::vector<int>{ui::kExitConnectionFailed});
}

TEST_F(RulesWindowTest, DraggedByItsBackgroundAndIgnoreUnloads) {
  open_rules();
  rules->move(100, 100);
  test::drag(rules, {200, 260}, {30, 40});
  EXPECT_EQ(rules->pos(), QPoint(130, 140));

  state->current_sql = "SELECT 1";
  test::click(rules_button("Command2"));
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(state->current_sql, "");
  test::flush_deletes();
  EXPECT_EQ(rules, nullptr);
}

}  // namespace
}  // namespace vl
