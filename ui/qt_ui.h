#pragma once
// UiPort for the real windows: modal message boxes, event processing, repaint
// and beep through Qt.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "app/ui_port.h"

namespace vl::ui {

inline constexpr const char* kMessageBoxTitle = "vandril_loot";

// Shows the program's message box and returns when it is dismissed: modal, OK
// only, no icon, titled "vandril_loot"; CR LF in the text breaks the line.
void show_message_box(QWidget* parent, const std::string& text);

class QtUi : public UiPort {
 public:
  using MessageService = std::function<void(const std::string&)>;
  using RepaintService = std::function<void()>;

  QtUi() = default;

  void message_box(const std::string& text) override;
  void process_events() override;
  void repaint() override;
  void beep() override;

  // Parent of the message boxes (the main window once it exists).
  void set_message_parent(QWidget* parent) { message_parent_ = parent; }
  // Replaces the message boxes, e.g. by a recorder in tests.
  void set_message_service(MessageService service) { message_service_ = std::move(service); }
  // What repaint() paints now: the window's changed controls.
  void set_repaint_service(RepaintService service) { repaint_service_ = std::move(service); }

 private:
  QPointer<QWidget> message_parent_;
  MessageService message_service_;
  RepaintService repaint_service_;
};

}  // namespace vl::ui
