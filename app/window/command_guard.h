#pragma once
// The one place where the main window runs a command: a lost connection ends
// the program after its message, any other failure is shown and the window
// stays usable.

#include <functional>
#include <string>

#include "app/command_failure.h"
#include "app/ui_port.h"
#include "app/window/program_state.h"

namespace vl::app {

using Command = std::function<void(ProgramState&, UiPort&)>;
using EndProgram = std::function<void(int exit_code)>;

// Runs `command`. On db::ConnectionFailed: shows the connection message, then
// calls end_program(kExitConnectionFailed). On db::UsageError: shows
// kProgramFaultMessage with its text. On any other exception: shows its
// text and puts the buttons, the status label and the progress line back as
// they were before the command, so that the window can be used again.
void run_command(ProgramState& state, UiPort& ui, const Command& command,
                 const EndProgram& end_program);

}  // namespace vl::app
