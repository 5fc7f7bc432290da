#pragma once
// The program's start: load the main window, then show it.

#include <memory>
#include <string>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "ui/form1_window.h"

namespace vl::ui {

inline constexpr int kExitBadConfiguration = 1;

// Runs Form_Load and, when it succeeds, builds the main window (not yet
// shown). Returns nullptr when db.ini was missing or incomplete: its message
// has been shown through `ui` and no window was made.
std::unique_ptr<Form1Window> load_main_window(ProgramState& state, UiPort& ui,
                                              app::WindowJournal& journal,
                                              const std::string& ini_path = "db.ini");

}  // namespace vl::ui
