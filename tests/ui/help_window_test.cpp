// The help window: its layout, its text and its lifecycle.

#include "ui/help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/help_text.h"

namespace vl {
namespace {

const char* const kHelpText =
    "reqlevel<=10 AND ac<=5\r\n"
    "\r\n"
    "aint>=1 AND aint<=10\r\n"
    "\r\n"
    "aint>=1 AND aint<=10 OR \r\n"
    "awis>=1 AND awis<=10\r\n"
    "\r\n"
    "reqlevel<=10 AND damage<=5\r\n"
    "\r\n"
    "name like 'rubicite%' OR ac>=15 AND ac<=20\r\n"
    "\r\n"
    "name like 'banded%' OR\r\n"
    "\r\n"
    "name like 'mesh%' OR\r\n"
    "\r\n"
    "name like 'bronze%'\r\n";

void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(HelpWindow, LayoutColoursAndText) {
  EXPECT_EQ(help::help_text(), kHelpText);

  ui::HelpWindow window;
  EXPECT_EQ(window.windowTitle(), "Form2");
  EXPECT_EQ(window.size(), QSize(442, 550));
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor("#000040"));
  EXPECT_EQ(window.palette().color(QPalette::WindowText), QColor("#FFFFFF"));
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  auto* r = window.findChild<QPlainTextEdit*>("r");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->geometry(), QRect(40, 24, 345, 473));
  EXPECT_EQ(r->font().family(), "Verdana");
  EXPECT_DOUBLE_EQ(r->font().pointSizeF(), 12);
  EXPECT_FALSE(r->font().bold());
  EXPECT_EQ(r->palette().color(QPalette::Text), QColor("#FFFFFF"));
  EXPECT_EQ(r->palette().color(QPalette::Base), QColor("#000040"));
  EXPECT_EQ(window.r_text(), kHelpText);
  EXPECT_EQ(r->document()->blockCount(), 17);  // sixteen lines and the empty one after the last

  auto* back = window.findChild<QPushButton*>("Command1");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->text(), "Back");
  EXPECT_EQ(back->geometry(), QRect(160, 512, 129, 25));
  EXPECT_FALSE(back->isDefault());
  EXPECT_FALSE(back->autoDefault());
  QWidget* next = r->nextInFocusChain();
  while (next != nullptr && next != r && next->parentWidget() != &window) {
    next = next->nextInFocusChain();
  }
  EXPECT_EQ(next, back);
}

TEST(HelpWindow, BackUnloadsAndTheNextOpeningShowsTheTextAfresh) {
  ui::HelpWindowOpener opener;
  EXPECT_EQ(opener.window(), nullptr);
  opener.open();
  ui::HelpWindow* first = opener.window();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());

  auto* r = first->findChild<QPlainTextEdit*>("r");
  r->setPlainText("my own rule");
  opener.open();  // already loaded: only brought forward, text kept
  EXPECT_EQ(opener.window(), first);
  EXPECT_EQ(first->r_text(), "my own rule");

  first->findChild<QPushButton*>("Command1")->click();
  flush_deletes();
  EXPECT_EQ(opener.window(), nullptr);

  opener.open();
  ASSERT_NE(opener.window(), nullptr);
  EXPECT_EQ(opener.window()->r_text(), kHelpText);
}

TEST(HelpWindow, TypedLineBreaksComeBackAsCrLf) {
  ui::HelpWindow window;
  window.findChild<QPlainTextEdit*>("r")->setPlainText("a\nb\n");
  EXPECT_EQ(window.r_text(), "a\r\nb\r\n");
}

}  // namespace
}  // namespace vl
