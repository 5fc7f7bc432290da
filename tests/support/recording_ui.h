#pragma once
// A UiPort that records what a command showed instead of showing it, with
// the line breaks the window's message boxes have.

#include <functional>
#include <string>
#include <vector>

#include "app/ui_port.h"
#include "app/window/window_text.h"

namespace vl::test {

class RecordingUi : public UiPort {
 public:
  void message_box(const std::string& text) override {
    messages.push_back(window_text(text));
    if (on_message) on_message(messages.back());
  }
  void process_events() override {
    ++process_events_calls;
    if (on_process_events) on_process_events();
  }
  void repaint() override {
    ++repaint_calls;
    if (on_repaint) on_repaint();
  }
  void beep() override { ++beeps; }

  std::vector<std::string> messages;
  int process_events_calls = 0;
  int repaint_calls = 0;
  int beeps = 0;
  // Hooks for tests that act while a command lets events through.
  std::function<void(const std::string&)> on_message;
  std::function<void()> on_process_events;
  std::function<void()> on_repaint;
};

}  // namespace vl::test
