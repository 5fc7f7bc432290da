// The custom item list window: its look, and a pasted list turned into slots.

#include "ui/custom_item_list_window.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <map>

#include "filter_window_support.h"
#include "support/recording_ui.h"
#include "ui/filter_background.h"

namespace vl {
namespace {

using test::RecordingUi;

class CustomItemListWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = new ui::CustomItemListWindow(*state, ui);
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
  QPlainTextEdit* customlist() { return control<QPlainTextEdit>("customlist"); }
  void paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    customlist()->paste();
  }
  bool unloaded() {
    test::flush_deletes();
    return destroyed == nullptr;
  }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  ui::CustomItemListWindow* window = nullptr;
  QPointer<ui::CustomItemListWindow> destroyed;
};

TEST_F(CustomItemListWindowTest, LooksAsDesigned) {
  EXPECT_EQ(window->objectName(), "Custom_item_list");
  EXPECT_EQ(window->windowTitle(), "List of Items");
  EXPECT_EQ(window->size(), QSize(374, 307));
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));

  EXPECT_EQ(customlist()->geometry(), QRect(16, 16, 345, 241));
  EXPECT_EQ(customlist()->font().family(), "Verdana");
  EXPECT_DOUBLE_EQ(customlist()->font().pointSizeF(), 9);
  EXPECT_EQ(customlist()->palette().color(QPalette::Text), QColor("#FFFFFF"));
  EXPECT_EQ(customlist()->palette().color(QPalette::Base), QColor("#000040"));
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());

  const std::map<const char*, std::pair<QString, QRect>> buttons = {
      {"ok", {"GO", {24, 272, 33, 33}}},
      {"Command2", {"Nevermind", {96, 272, 73, 33}}},
      {"Command1", {"Clear List", {200, 272, 73, 33}}}};
  for (const auto& [name, expected] : buttons) {
    auto* button = control<QPushButton>(name);
    EXPECT_EQ(button->text(), expected.first) << name;
    EXPECT_EQ(button->geometry(), expected.second) << name;
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << name;
  }
  EXPECT_EQ(test::tab_order(*window, customlist()),
            (std::vector<std::string>{"customlist", "ok", "Command2", "Command1"}));

  // The same picture as the rules window, top left.
  const QImage picture = ui::paint_filter_background();
  const QImage shown = window->grab().toImage();
  for (QPoint at : {QPoint(1, 1), QPoint(186, 262), QPoint(370, 265)}) {
    EXPECT_EQ(shown.pixelColor(at), picture.pixelColor(at)) << at.x() << "," << at.y();
  }

  // Not dragged by its background.
  test::show_active(*window);
  window->move(50, 50);
  const QPoint before = window->pos();
  test::drag_background(*window, QPoint(300, 290), QPoint(30, 40));
  EXPECT_EQ(window->pos(), before);
}

TEST_F(CustomItemListWindowTest, PastedListGoesIntoTheSlots) {
  // Lines from a spreadsheet (name, TAB, id) with CR LF, and lines with LF alone.
  paste("Rusty Sword\t1001\r\nCloth Cap\t1002\r\n");
  customlist()->moveCursor(QTextCursor::End);
  paste("10 03\n1004\n");
  EXPECT_EQ(window->customlist_text(), "Rusty Sword\t1001\r\nCloth Cap\t1002\r\n10 03\r\n1004\r\n");

  test::click(control<QPushButton>("ok"));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Custom List Created [4 items]"});
  EXPECT_TRUE(state->custom_list_active);
  for (int slot = 1; slot <= 4; ++slot) {
    EXPECT_EQ(state->custom_item_ids[slot], 1000.0 + slot) << slot;
  }
  EXPECT_EQ(state->custom_item_ids[5], 0.0);
  EXPECT_EQ(state->form1.button(Form1Control::Command6).caption, "Custom Item List - [4 items]");
  EXPECT_FALSE(state->form1.button(Form1Control::Command5).enabled);
  EXPECT_TRUE(unloaded());
}

TEST_F(CustomItemListWindowTest, TabKeyMovesOnButPastedTabsStay) {
  test::show_active(*window);
  customlist()->setFocus();
  QTest::keyClick(customlist(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), control<QPushButton>("ok"));
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());
  paste("a\tb");
  EXPECT_EQ(window->customlist_text(), "a\tb");
}

TEST_F(CustomItemListWindowTest, ClearListStaysOpenAndNevermindCloses) {
  state->custom_list_active = true;
  state->form1.set_enabled(Form1Control::Command5, false);
  paste("1001\r\n");
  test::click(control<QPushButton>("Command1"));
  EXPECT_TRUE(customlist()->toPlainText().isEmpty());
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(state->form1.button(Form1Control::Command6).caption, "Custom Item List - NOTHING");
  EXPECT_FALSE(state->form1.button(Form1Control::Command5).enabled);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(unloaded());

  paste("2002\r\n");
  test::click(control<QPushButton>("Command2"));
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_FALSE(state->custom_item_ids[1].has_value());
  EXPECT_TRUE(unloaded());
}

TEST_F(CustomItemListWindowTest, RefusedListLeavesTheWindowOpenWithItsText) {
  QString lines;
  for (int id = 1; id <= 32768; ++id) lines += QString::number(id) + "\n";
  customlist()->setPlainText(lines);
  test::click(control<QPushButton>("ok"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind("The list has 32768 lines", 0), 0u) << ui.messages[0];
  EXPECT_FALSE(state->custom_list_active);
  EXPECT_EQ(customlist()->toPlainText(), lines);
  EXPECT_FALSE(unloaded());
}

}  // namespace
}  // namespace vl
