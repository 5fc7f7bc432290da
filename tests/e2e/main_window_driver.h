#pragma once
// Drives the real vandril_loot window on a private X display as a person
// would (mouse and keyboard through xdotool) and reads back what it shows
// through the accessibility bus. Every wait is bounded; a wait that runs out
// reports what it expected and what it saw last.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "e2e/accessibility.h"
#include "e2e/process.h"
#include "e2e/virtual_desktop.h"

namespace vl::e2e {

using namespace std::chrono_literals;

class MainWindowDriver {
 public:
  // A virtual display (from :84 on) and an empty work folder `work_dir`.
  explicit MainWindowDriver(const std::string& work_dir);
  ~MainWindowDriver();

  // Writes db.ini into the work folder, starts the program there and waits
  // until its main window is on the screen. False (after a failure report) if
  // it does not appear.
  bool start(const std::string& db_ini);

  // Polls `check` until it returns true or `timeout` runs out. `check` puts
  // what it saw into its argument; a call that throws counts as "not yet".
  // On time-out it adds a test failure naming `expected` and the last sight.
  bool wait_for(const std::string& expected, const std::function<bool(std::string&)>& check,
                std::chrono::milliseconds timeout = 30s);

  // The main window's controls by their names ("Command2", "item_max", "op10",
  // "lvls3", "lx", "level", ...), where the window's layout puts them.
  void click_control(const std::string& control);
  // Clicks into a text box, selects all its text, types `text` and waits until
  // the box holds it.
  bool type_into(const std::string& control, const std::string& text);
  void press_keys(const std::string& keys) { desktop_->key(keys); }

  std::string caption(const std::string& control);  // a label's or button's text
  std::string text(const std::string& control);     // a text box's content
  bool is_enabled(const std::string& control);
  bool is_checked(const std::string& control);
  // The entries of `level` that are selected, as their texts.
  std::vector<std::string> selected_levels();

  // The text of the message box titled "vandril_loot" that is open now, if any.
  std::optional<std::string> message_box_text();
  // Waits for the message box, checks its text is `expected_text` and closes
  // it with Return. False (after a failure report) on any of these going wrong.
  bool dismiss_box(const std::string& expected_text, std::chrono::milliseconds timeout = 60s);
  // Waits for the box and presses Return once, e.g. when that ends the program.
  bool answer_box(const std::string& expected_text, std::chrono::milliseconds timeout = 60s);

  ChildProcess& program() { return *program_; }
  void screenshot(const std::string& file) { desktop_->screenshot(file); }
  std::string program_output() const;

 private:
  ScreenRect layout_rect(const std::string& control) const;
  Accessible control(const std::string& control);
  std::optional<Accessible> find_top_level(const std::string& role, const std::string& name);

  std::string work_dir_;
  std::unique_ptr<VirtualDesktop> desktop_;
  std::unique_ptr<AccessibilityBus> bus_;
  std::unique_ptr<ChildProcess> program_;
  std::optional<Accessible> application_;
  std::optional<Accessible> main_window_;
  ScreenRect window_rect_;
  std::map<std::string, Accessible> controls_;
};

}  // namespace vl::e2e
