#pragma once
// What a command needs from whatever shows it: the window in the program, a
// recorder in tests, the terminal for the command line.

#include <string>

namespace vl {

class UiPort {
 public:
  virtual ~UiPort() = default;

  // Modal message box: OK button only, no icon, title "vandril_loot".
  // Returns when the user has dismissed it.
  virtual void message_box(const std::string& text) = 0;

  // Lets the window process its pending events once (repaint and input). Other
  // handlers may run inside this call.
  virtual void process_events() = 0;

  // Repaints the window's changed controls at once, without processing input.
  virtual void repaint() = 0;

  // The system's default beep.
  virtual void beep() = 0;
};

}  // namespace vl
