#pragma once
// Helpers of the rules and custom item list window tests: clicks and drags
// delivered the way the window system delivers them, and window activation.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

namespace vl::test {

inline void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Shows the window and makes it the active one, so that it takes the focus.
inline void show_active(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::processEvents();
}

inline void send_mouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
                       Qt::MouseButtons held) {
  const QPointF global = target->mapToGlobal(QPointF(local));
  QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

// A left click in the middle of the widget as the window system delivers it,
// so that the press moves the focus as a real one does.
inline void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// Presses the left button on the window's background at `from` and moves by `by`.
inline void drag_background(QWidget& window, QPoint from, QPoint by) {
  send_mouse(&window, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  send_mouse(&window, QEvent::MouseMove, from + by, Qt::NoButton, Qt::LeftButton);
  send_mouse(&window, QEvent::MouseButtonRelease, from + by, Qt::LeftButton, Qt::NoButton);
}

// The window's own controls in the order Tab visits them, from `first` on.
inline std::vector<std::string> tab_order(QWidget& window, QWidget* first) {
  std::vector<std::string> order;
  QWidget* next = first;
  do {
    if (next->parentWidget() == &window && (next->focusPolicy() & Qt::TabFocus)) {
      order.push_back(next->objectName().toStdString());
    }
    next = next->nextInFocusChain();
  } while (next != first && order.size() < 20);
  return order;
}

}  // namespace vl::test
