#pragma once
// A private X display (Xvfb) and the user's hands on it (xdotool): the mouse
// and the keyboard, as a person would use them, and screenshots for diagnosis.

#include <memory>
#include <string>

#include "e2e/process.h"

namespace vl::e2e {

class VirtualDesktop {
 public:
  // Starts Xvfb on the first free display number from `first_display` on and
  // waits until it accepts clients. Its log goes to `log_dir`.
  VirtualDesktop(int first_display, const std::string& log_dir);

  // ":N", for the DISPLAY of the programs started on it.
  const std::string& display() const { return display_; }

  // Left click at (x, y) of the screen.
  void click(int x, int y);
  // Keys in xdotool's names, one after the other ("Return", "ctrl+a", "Up Up").
  void key(const std::string& keys);
  // Types the text character by character.
  void type(const std::string& text);
  // Saves the whole screen as a picture; failures are reported, not thrown.
  void screenshot(const std::string& file);

 private:
  void xdotool(const std::vector<std::string>& args);

  std::string display_;
  std::unique_ptr<ChildProcess> server_;
};

}  // namespace vl::e2e
