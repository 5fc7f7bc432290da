// The help window: its layout, its text and its lifecycle.

#include "ui/help_window.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/help_text.h"
#include "ui_test_support.h"

namespace vl {
namespace {

const char* const kHelpText =
    "reqlevel<=10 AND ac<=5\r\n\r\naint>=1 AND aint<=10\r\n\r\naint>=1 AND aint<=10 OR \r\n"
    "awis>=1 AND awis<=10\r\n\r\nreqlevel<=10 AND damage<=5\r\n\r\n"
    "name like 'rubicite%' OR ac>=15 AND ac<=20\r\n\r\nname like 'banded%' OR\r\n\r\n"
    "name like 'mesh%' OR\r\n\r\nname like 'bronze%'\r\n";

TEST(HelpWindow, LayoutTextAndBack) {
  EXPECT_EQ(help::help_text(), kHelpText);
  ui::HelpWindowOpener opener;
  opener.open();
  ui::HelpWindow* window = opener.window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Form2");
  EXPECT_EQ(window->size(), QSize(442, 550));

  auto* r = test::child<QPlainTextEdit>(window, "r");
  EXPECT_EQ(r->geometry(), QRect(40, 24, 345, 473));
  EXPECT_EQ(r->font().family(), "Verdana");
  EXPECT_EQ(window->r_text(), kHelpText);
  EXPECT_EQ(r->document()->blockCount(), 17);  // sixteen lines and the empty one after the last
  auto* back = test::child<QPushButton>(window, "Command1");
  EXPECT_EQ(back->text(), "Back");
  EXPECT_EQ(back->geometry(), QRect(160, 512, 129, 25));
  EXPECT_FALSE(back->isDefault() || back->autoDefault());
  EXPECT_EQ(test::tab_order(r, 2), (std::vector<std::string>{"r", "Command1"}));

  r->setPlainText("a\nb\n");  // line breaks come back as CR LF
  EXPECT_EQ(window->r_text(), "a\r\nb\r\n");
  opener.open();  // already loaded: only brought forward, text kept
  EXPECT_EQ(opener.window(), window);
  EXPECT_EQ(window->r_text(), "a\r\nb\r\n");

  test::click(back);  // unloads; the next opening shows the text afresh
  test::flush_deletes();
  EXPECT_EQ(opener.window(), nullptr);
  opener.open();
  ASSERT_NE(opener.window(), nullptr);
  EXPECT_EQ(opener.window()->r_text(), kHelpText);
}

}  // namespace
}  // namespace vl
