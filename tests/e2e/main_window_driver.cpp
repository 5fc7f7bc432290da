#include "e2e/main_window_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "e2e/e2e_settings.h"

namespace vl::e2e {
namespace {

const std::string kWindowCaption = "Vandril Like LOOT maker ver 1.1.0";
const std::string kBoxTitle = "vandril_loot";

// The option buttons' widths, index 0 to 11; they stand 24 pixels apart.
constexpr std::array<int, 12> kOptionWidths = {89,  89, 153, 129, 89,  161,
                                               145, 89, 233, 153, 217, 289};
constexpr std::array<const char*, 12> kOptionCaptions = {"Armour",
                                                         "Weapon",
                                                         "Higher LVL Misc",
                                                         "All LVL Misc",
                                                         "Shields",
                                                         "General Food Items",
                                                         "Spells/Songs",
                                                         "Potions",
                                                         "Drums/Arrows/Crafted Rings",
                                                         "Drinks/Ales",
                                                         "idols,charms,trinkets",
                                                         "high level augment items/Solvents"};
// The statistics columns lvls1 to lvls8: x and width.
constexpr std::array<std::array<int, 2>, 8> kColumns = {
    {{200, 49}, {264, 57}, {336, 57}, {408, 57}, {480, 57}, {552, 57}, {624, 49}, {688, 49}}};

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

MainWindowDriver::MainWindowDriver(const std::string& work_dir)
    : work_dir_(work_dir),
      desktop_(std::make_unique<VirtualDesktop>(84, work_dir)),
      bus_(std::make_unique<AccessibilityBus>()) {}

MainWindowDriver::~MainWindowDriver() {
  program_.reset();  // the program before its display
  desktop_.reset();
}

// Where the main window's layout puts each control, in window coordinates.
ScreenRect MainWindowDriver::layout_rect(const std::string& control) const {
  static const std::map<std::string, ScreenRect> fixed = {
      {"level", {8, 48, 89, 213}},         {"Command1", {8, 264, 89, 73}},
      {"perc_of_npcs", {312, 80, 49, 19}}, {"loottable_percentx", {320, 152, 49, 19}},
      {"item_max", {424, 152, 33, 19}},    {"lootdrop_percentx", {560, 152, 49, 19}},
      {"Command2", {432, 48, 105, 49}},    {"lx", {624, 48, 137, 25}},
      {"Command3", {120, 336, 105, 17}},   {"Command4", {552, 600, 201, 17}},
      {"quit", {744, 0, 17, 17}},
  };
  if (const auto found = fixed.find(control); found != fixed.end()) return found->second;
  if (control.rfind("op", 0) == 0) {
    const int index = std::stoi(control.substr(2));
    return {112, 40 + 24 * index, kOptionWidths.at(static_cast<std::size_t>(index)), 33};
  }
  if (control.rfind("lvls", 0) == 0) {
    const auto& column = kColumns.at(static_cast<std::size_t>(std::stoi(control.substr(4)) - 1));
    return {column[0], 368, column[1], 225};
  }
  throw std::invalid_argument("no control named " + control);
}

bool MainWindowDriver::wait_for(const std::string& expected,
                                const std::function<bool(std::string&)>& check,
                                std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string seen;
  for (;;) {
    try {
      std::string now;
      if (check(now)) return true;
      seen = now;
    } catch (const std::exception& e) {
      seen = std::string("(no answer: ") + e.what() + ")";
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(100ms);
  }
  ADD_FAILURE() << "waited " << timeout.count() << " ms for: " << expected
                << "\n  last seen: " << seen;
  return false;
}

bool MainWindowDriver::start(const std::string& db_ini) {
  std::ofstream(work_dir_ + "/db.ini") << db_ini;
  program_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{settings().program},
      std::vector<std::string>{"DISPLAY=" + desktop_->display(), "QT_QPA_PLATFORM=xcb",
                               "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
      work_dir_, work_dir_ + "/vandril_loot.log");
  return wait_for(
      "the window \"" + kWindowCaption + "\" (776 x 620) on the screen",
      [this](std::string& seen) {
        if (const auto status = program_->exit_status()) {
          seen = "the program ended with status " + std::to_string(*status);
          return false;
        }
        if (!application_) application_ = bus_->application(program_->pid());
        if (!application_) {
          seen = "the program has not registered on the accessibility bus";
          return false;
        }
        main_window_ = find_top_level("filler", kWindowCaption);
        if (!main_window_) {
          seen = "no window of that caption";
          return false;
        }
        window_rect_ = bus_->extents(*main_window_);
        const CommandResult mapped = run_command(
            {"xdotool", "search", "--onlyvisible", "--name", "^" + kWindowCaption + "$"},
            {"DISPLAY=" + desktop_->display()});
        seen = "window at " + std::to_string(window_rect_.x) + "," +
               std::to_string(window_rect_.y) + " size " + std::to_string(window_rect_.width) +
               " x " + std::to_string(window_rect_.height) +
               (mapped.status == 0 ? ", mapped" : ", not mapped");
        return window_rect_.width == 776 && window_rect_.height == 620 && mapped.status == 0;
      },
      30s);
}

std::optional<Accessible> MainWindowDriver::find_top_level(const std::string& role,
                                                           const std::string& name) {
  if (!application_) return std::nullopt;
  for (const Accessible& window : bus_->children(*application_)) {
    if (bus_->role(window) == role && bus_->name(window) == name) return window;
  }
  return std::nullopt;
}

Accessible MainWindowDriver::control(const std::string& name) {
  if (const auto known = controls_.find(name); known != controls_.end()) return known->second;
  if (!main_window_) throw std::runtime_error("the main window is not known yet");
  ScreenRect wanted = layout_rect(name);
  wanted.x += window_rect_.x;
  wanted.y += window_rect_.y;
  const auto inside = [&wanted](const ScreenRect& r) {
    return r.x >= wanted.x && r.y >= wanted.y && r.x + r.width <= wanted.x + wanted.width &&
           r.y + r.height <= wanted.y + wanted.height;
  };
  for (const Accessible& child : bus_->children(*main_window_)) {
    const ScreenRect where = bus_->extents(child);
    if (name.rfind("op", 0) == 0) {
      // An option button reports the part that reacts to the mouse (its round
      // button and caption), inside the place the layout gives it.
      const auto index = static_cast<std::size_t>(std::stoi(name.substr(2)));
      if (bus_->role(child) == "radio button" && bus_->name(child) == kOptionCaptions.at(index) &&
          inside(where)) {
        return controls_[name] = child;
      }
    } else if (where == wanted) {
      return controls_[name] = child;
    }
  }
  throw std::runtime_error("no control where the layout puts " + name);
}

void MainWindowDriver::click_control(const std::string& name) {
  const ScreenRect r = layout_rect(name);
  int x = r.x + r.width / 2;
  int y = r.y + r.height / 2;
  if (name.rfind("op", 0) == 0) x = r.x + 8;  // the round button: only it and the caption react
  if (name == "level") y = r.y + 8;           // the first line
  desktop_->click(window_rect_.x + x, window_rect_.y + y);
}

bool MainWindowDriver::type_into(const std::string& name, const std::string& typed) {
  click_control(name);
  desktop_->key("ctrl+a");
  desktop_->type(typed);
  return wait_for(name + " holding \"" + typed + "\"", [&](std::string& seen) {
    seen = text(name);
    return seen == typed;
  });
}

std::string MainWindowDriver::caption(const std::string& name) { return bus_->name(control(name)); }

std::string MainWindowDriver::text(const std::string& name) { return bus_->text(control(name)); }

bool MainWindowDriver::is_enabled(const std::string& name) {
  return bus_->has_state(control(name), AccessibleState::kEnabled);
}

bool MainWindowDriver::is_checked(const std::string& name) {
  return bus_->has_state(control(name), AccessibleState::kChecked);
}

std::vector<std::string> MainWindowDriver::selected_levels() {
  std::vector<std::string> selected;
  for (const Accessible& entry : bus_->children(control("level"))) {
    if (bus_->role(entry) == "list item" && bus_->has_state(entry, AccessibleState::kSelected)) {
      selected.push_back(bus_->name(entry));
    }
  }
  return selected;
}

std::optional<std::string> MainWindowDriver::message_box_text() {
  const auto box = find_top_level("alert message", kBoxTitle);
  if (!box) return std::nullopt;
  std::string text;
  for (const Accessible& part : bus_->children(*box)) {
    if (bus_->role(part) != "label") continue;
    const std::string shown = bus_->name(part);
    if (shown.empty()) continue;  // the icon's place
    text += (text.empty() ? "" : "\n") + shown;
  }
  return text;
}

bool MainWindowDriver::answer_box(const std::string& expected_text,
                                  std::chrono::milliseconds timeout) {
  std::string shown;
  if (!wait_for(
          "a message box titled \"" + kBoxTitle + "\"",
          [&](std::string& seen) {
            const auto text = message_box_text();
            seen = "no such box";
            if (text) shown = *text;
            return text.has_value();
          },
          timeout)) {
    return false;
  }
  EXPECT_EQ(shown, expected_text) << "the text of the message box";
  desktop_->key("Return");
  return shown == expected_text;
}

bool MainWindowDriver::dismiss_box(const std::string& expected_text,
                                   std::chrono::milliseconds timeout) {
  if (!answer_box(expected_text, timeout)) return false;
  auto last_key = std::chrono::steady_clock::now();
  return wait_for("the message box closed by Return", [&](std::string& seen) {
    if (!message_box_text()) return true;
    seen = "the box is still open";
    // A key that came before the box had the focus is lost: press it again.
    if (std::chrono::steady_clock::now() - last_key > 2s) {
      desktop_->key("Return");
      last_key = std::chrono::steady_clock::now();
    }
    return false;
  });
}

std::string MainWindowDriver::program_output() const {
  return read_file(work_dir_ + "/vandril_loot.log");
}

}  // namespace vl::e2e
