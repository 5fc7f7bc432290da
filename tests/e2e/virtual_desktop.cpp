#include "e2e/virtual_desktop.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vl::e2e {
namespace {

bool display_in_use(int number) {
  const std::string n = std::to_string(number);
  return access(("/tmp/.X" + n + "-lock").c_str(), F_OK) == 0 ||
         access(("/tmp/.X11-unix/X" + n).c_str(), F_OK) == 0;
}

}  // namespace

VirtualDesktop::VirtualDesktop(int first_display, const std::string& log_dir) {
  for (int number = first_display; number < first_display + 40 && !server_; ++number) {
    if (display_in_use(number)) continue;
    display_ = ":" + std::to_string(number);
    server_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"Xvfb", display_, "-screen", "0",
                                                                "1024x768x24", "-nolisten", "tcp"},
                                       std::vector<std::string>{}, log_dir, log_dir + "/xvfb.log");
    // Another test may have taken the number between the check and the start:
    // Xvfb then ends at once, and the next number is tried.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool ready = false;
    while (!ready && !server_->exit_status() && std::chrono::steady_clock::now() < deadline) {
      ready = run_command({"xdotool", "getmouselocation"}, {"DISPLAY=" + display_}).status == 0;
      if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ready) server_.reset();
  }
  if (!server_)
    throw std::runtime_error("Xvfb did not start on any display from :" +
                             std::to_string(first_display));
}

void VirtualDesktop::xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  const CommandResult result = run_command(argv, {"DISPLAY=" + display_});
  if (result.status != 0) {
    std::string command;
    for (const std::string& a : argv) command += a + " ";
    throw std::runtime_error(command + "failed: " + result.output);
  }
}

void VirtualDesktop::click(int x, int y) {
  xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

void VirtualDesktop::key(const std::string& keys) {
  std::vector<std::string> args = {"key"};
  std::istringstream names(keys);
  for (std::string name; names >> name;) args.push_back(name);
  xdotool(args);
}

void VirtualDesktop::type(const std::string& text) { xdotool({"type", "--delay", "40", text}); }

void VirtualDesktop::screenshot(const std::string& file) {
  const CommandResult result =
      run_command({"import", "-window", "root", file}, {"DISPLAY=" + display_});
  if (result.status == 0) {
    std::cerr << "screenshot: " << file << "\n";
  } else {
    std::cerr << "screenshot failed: " << result.output << "\n";
  }
}

}  // namespace vl::e2e
