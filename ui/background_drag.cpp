#include "ui/background_drag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace vl::ui {

void BackgroundDrag::press(QWidget& window, const QMouseEvent& event) {
  pressed_ = true;
  moving_by_hand_ = false;
  grab_offset_ = event.globalPosition().toPoint() - window.pos();
}

void BackgroundDrag::move(QWidget& window, const QMouseEvent& event) {
  if (!pressed_ || event.buttons() != Qt::LeftButton) {
    moving_by_hand_ = false;
    return;
  }
  if (!moving_by_hand_) {
    QWindow* handle = window.windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
      // The window system owns the move now and sends no release to us.
      pressed_ = false;
      return;
    }
    moving_by_hand_ = true;
  }
  window.move(event.globalPosition().toPoint() - grab_offset_);
}

void BackgroundDrag::release() {
  pressed_ = false;
  moving_by_hand_ = false;
}

}  // namespace vl::ui
