// The rules and custom item list windows as the main window opens them: one
// window each, brought forward when opened again, loaded afresh after closing.

#include "ui/filter_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "filter_window_support.h"
#include "support/recording_ui.h"
#include "ui/program.h"
#include "ui/qt_ui.h"
#include "ui_test_support.h"

namespace vl {
namespace {

using test::RecordingUi;

// Top-level windows of that name that are shown.
std::vector<QWidget*> shown_windows(const char* name) {
  std::vector<QWidget*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == name && widget->isVisible()) found.push_back(widget);
  }
  return found;
}

template <typename T = QWidget>
T* child(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

class FilterWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { load(ui); }
  void TearDown() override {
    main.reset();
    test::flush_deletes();
  }

  void load(UiPort& port) {
    test::TempFolder folder;
    folder.write("db.ini", test::test_db_ini());
    main = ui::load_main_window(*state, port, folder.file("db.ini"));
    ASSERT_NE(main, nullptr);
    main->end_program = [this](int code) { exit_codes.push_back(code); };
    filters = main->findChild<ui::FilterWindows*>();
    ASSERT_NE(filters, nullptr);
  }

  QPushButton* main_button(const char* name) { return child<QPushButton>(main.get(), name); }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  std::unique_ptr<ui::Form1Window> main;
  ui::FilterWindows* filters = nullptr;
  std::vector<int> exit_codes;
};

TEST_F(FilterWindowsTest, RulesButtonShowsOneWindowAndReloadsItAfterClosing) {
  test::click(main_button("Command5"));
  ASSERT_EQ(shown_windows("rules").size(), 1u);
  ui::RulesWindow* rules = filters->rules_window();
  EXPECT_EQ(state->item_rules, " AND reqlevel<=10 AND ac<=5");
  EXPECT_TRUE(main->isEnabled() && main_button("Command5")->isEnabled());

  // Pressed again: the same window, brought forward, typed rules kept.
  rules->set_r_text("ac>=5");
  rules->r_LostFocus();
  test::click(main_button("Command5"));
  EXPECT_EQ(shown_windows("rules"), std::vector<QWidget*>{rules});
  EXPECT_EQ(rules->r_text(), "ac>=5");
  EXPECT_EQ(state->item_rules, " AND ac>=5");

  // Closed and opened again: loaded afresh with the default.
  test::click(child<QPushButton>(rules, "ok"));
  test::flush_deletes();
  EXPECT_EQ(filters->rules_window(), nullptr);
  EXPECT_TRUE(shown_windows("rules").empty());
  EXPECT_EQ(state->item_rules, " AND ac>=5");
  test::click(main_button("Command5"));
  ASSERT_NE(filters->rules_window(), nullptr);
  EXPECT_EQ(filters->rules_window()->r_text(), "reqlevel<=10 AND ac<=5");
  EXPECT_EQ(state->item_rules, " AND reqlevel<=10 AND ac<=5");
}

TEST_F(FilterWindowsTest, QuestionMarkOpensHelpAndQuitUnloadsRules) {
  test::click(main_button("Command5"));
  ui::RulesWindow* rules = filters->rules_window();
  test::click(child<QPushButton>(rules, "Command1"));
  ASSERT_NE(main->help_window().window(), nullptr);
  EXPECT_TRUE(main->help_window().window()->isVisible());
  EXPECT_TRUE(rules->isVisible());
  EXPECT_FALSE(main->help_window().window()->isModal());

  main->quit_Click();
  EXPECT_EQ(exit_codes, std::vector<int>{0});
  EXPECT_TRUE(shown_windows("rules").empty());
}

TEST_F(FilterWindowsTest, CustomListFromGoToRemoveItemList) {
  test::click(main_button("Command6"));
  test::click(main_button("Command6"));
  ASSERT_EQ(shown_windows("Custom_item_list").size(), 1u);
  ui::CustomItemListWindow* list = filters->list_window();
  QApplication::clipboard()->setText("1001\r\n1002\r\n");
  child<QPlainTextEdit>(list, "customlist")->paste();
  test::click(child<QPushButton>(list, "ok"));
  test::flush_deletes();
  EXPECT_EQ(filters->list_window(), nullptr);
  EXPECT_EQ(main_button("Command6")->text(), "Custom Item List - [2 items]");
  EXPECT_FALSE(main_button("Command5")->isEnabled());

  // Opened again: an empty box, whatever list is active. Clear List leaves
  // Rules disabled, and the disabled button opens nothing.
  test::click(main_button("Command6"));
  list = filters->list_window();
  EXPECT_TRUE(child<QPlainTextEdit>(list, "customlist")->toPlainText().isEmpty());
  test::click(child<QPushButton>(list, "Command1"));
  EXPECT_EQ(main_button("Command6")->text(), "Custom Item List - NOTHING");
  EXPECT_FALSE(main_button("Command5")->isEnabled());
  test::click(main_button("Command5"));
  EXPECT_EQ(filters->rules_window(), nullptr);

  // Remove Item List, with the list window still open.
  test::click(main_button("clearlist"));
  EXPECT_EQ(ui.messages.back(), "Custom List Deleted!");
  EXPECT_TRUE(main_button("Command5")->isEnabled());
  EXPECT_EQ(main_button("Command6")->text(), "Custom Item List - NOTHING");
  EXPECT_EQ(state->custom_item_ids[1], 0.0);
  EXPECT_TRUE(list->isVisible());
  test::click(main_button("Command5"));
  EXPECT_NE(filters->rules_window(), nullptr);
}

TEST_F(FilterWindowsTest, RulesMessagesBelongToTheTopmostRulesWindow) {
  main.reset();
  ui::QtUi qt_ui;
  load(qt_ui);
  qt_ui.set_message_parent(main.get());
  filters->Command5_Click();
  ui::RulesWindow* rules = filters->rules_window();
  rules->set_r_text("no_such_column=1");
  rules->r_LostFocus();

  QWidget* owner = nullptr;
  QString text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    owner = box->parentWidget();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  rules->Command3_Click();
  EXPECT_EQ(text, "Error in Query - check the field names and syntax");
  EXPECT_EQ(owner, rules);

  // The main window's own messages stay with it.
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    owner = box->parentWidget();
    box->button(QMessageBox::Ok)->click();
  });
  filters->clearlist_Click();
  EXPECT_EQ(owner, main.get());
}

}  // namespace
}  // namespace vl
