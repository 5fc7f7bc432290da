#pragma once
// A UiPort for running commands without a window: shows nothing, keeps the
// messages, and lets the runner look at memory while a command lets events
// through.

#include <functional>
#include <string>
#include <vector>

#include "app/ui_port.h"

namespace vl::bench {

class SilentUi : public UiPort {
 public:
  void message_box(const std::string& text) override { messages.push_back(text); }
  void process_events() override {
    if (on_event_point) on_event_point();
  }
  void repaint() override {
    if (on_event_point) on_event_point();
  }
  void beep() override { ++beeps; }

  std::vector<std::string> messages;
  int beeps = 0;
  // Called wherever the command would let the window work.
  std::function<void()> on_event_point;
};

}  // namespace vl::bench
