#pragma once
// Moving a window by dragging its background with the left button alone.

#include <QPoint>

class QMouseEvent;
class QWidget;

namespace vl::ui {

class BackgroundDrag {
 public:
  // Feed the window's own mouse events (those its controls did not take).
  void press(QWidget& window, const QMouseEvent& event);
  // Form_MouseMove: with exactly the left button held, hands the move to the
  // window system; where there is none (no window manager), moves the window
  // itself by the mouse's travel since the press.
  void move(QWidget& window, const QMouseEvent& event);
  void release();

 private:
  QPoint grab_offset_;  // mouse position relative to the window's origin
  bool pressed_ = false;
  bool moving_by_hand_ = false;
};

}  // namespace vl::ui
