// The custom item list window as the main window opens it: a pasted list
// turned into slots, and the main window's buttons following the list.

#include "ui/custom_item_list_window.h"

#include <QClipboard>
#include <QPlainTextEdit>

#include "ui_test_support.h"

namespace vl {
namespace {

using test::child;

class CustomItemListWindowTest : public test::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    open_list();
  }
  QPushButton* list_button(const char* name) { return child<QPushButton>(list, name); }
  QPlainTextEdit* customlist() { return child<QPlainTextEdit>(list, "customlist"); }
  void paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    customlist()->moveCursor(QTextCursor::End);
    customlist()->paste();
  }
  bool unloaded() {
    test::flush_deletes();
    return list == nullptr;
  }
};

TEST_F(CustomItemListWindowTest, LooksAsDesignedAndOpensOnce) {
  EXPECT_EQ(list->windowTitle(), "List of Items");
  EXPECT_EQ(list->size(), QSize(374, 307));
  EXPECT_EQ(customlist()->geometry(), QRect(16, 16, 345, 241));
  for (const auto& [name, caption, rect] : std::vector<std::tuple<const char*, QString, QRect>>{
           {"ok", "GO", {24, 272, 33, 33}},
           {"Command2", "Nevermind", {96, 272, 73, 33}},
           {"Command1", "Clear List", {200, 272, 73, 33}}}) {
    EXPECT_EQ(list_button(name)->text(), caption) << name;
    EXPECT_EQ(list_button(name)->geometry(), rect) << name;
  }
  const QPointer<ui::CustomItemListWindow> first = list;
  open_list();
  EXPECT_EQ(list, first);

  // The Tab key leaves the box for GO instead of typing a TAB.
  customlist()->setFocus();
  QTest::keyClick(customlist(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), list_button("ok"));
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());
}

TEST_F(CustomItemListWindowTest, PastedListGoesIntoTheSlots) {
  // Lines from a spreadsheet (name, TAB, id) with CR LF, and lines with LF alone.
  paste("Rusty Sword\t1001\r\nCloth Cap\t1002\r\n");
  paste("10 03\n1004\n");
  EXPECT_EQ(list->customlist_text(), "Rusty Sword\t1001\r\nCloth Cap\t1002\r\n10 03\r\n1004\r\n");

  test::click(list_button("ok"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Created [4 items]"});
  EXPECT_TRUE(state->custom_list_active);
  for (int slot = 1; slot <= 5; ++slot)
    EXPECT_EQ(state->custom_item_ids[slot], slot <= 4 ? 1000.0 + slot : 0.0) << slot;
  EXPECT_EQ(button("Command6")->text(), "Custom Item List - [4 items]");
  EXPECT_FALSE(button("Command5")->isEnabled());
  EXPECT_TRUE(unloaded());
}

TEST_F(CustomItemListWindowTest, ClearListNevermindAndRemoveItemList) {
  test::click(list_button("ok"));  // an empty list is a list too
  open_list();
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());  // opened afresh

  // Clear List empties the box, drops the list and stays open; Rules stays disabled.
  paste("1001\r\n");
  test::click(list_button("Command1"));
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(button("Command6")->text(), "Custom Item List - NOTHING");
  EXPECT_FALSE(button("Command5")->isEnabled());
  test::click(button("Command5"));
  EXPECT_EQ(filters->rules_window(), nullptr);
  EXPECT_FALSE(unloaded());

  // Remove Item List, with the list window still open.
  ui.messages.clear();
  test::click(button("clearlist"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Deleted!"});
  EXPECT_TRUE(button("Command5")->isEnabled());
  EXPECT_TRUE(list->isVisible());

  paste("2002\r\n");
  test::click(list_button("Command2"));  // Nevermind
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_NE(state->custom_item_ids[1], 2002.0);
  EXPECT_TRUE(unloaded());
}

TEST_F(CustomItemListWindowTest, RefusedListLeavesTheWindowOpenWithItsText) {
  QString lines;
  for (int id = 1; id <= 32768; ++id) lines += QString::number(id) + "\n";
  customlist()->setPlainText(lines);
  test::click(list_button("ok"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].starts_with("The list has 32768 lines")) << ui.messages[0];
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(customlist()->toPlainText(), lines);
  EXPECT_FALSE(unloaded());
}

}  // namespace
}  // namespace vl
