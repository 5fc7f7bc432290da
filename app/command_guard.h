#pragma once
// The one place where the main window runs a command: a lost connection ends
// the program after its message, any other failure is shown and the window
// stays usable.

#include <exception>
#include <functional>
#include <string>

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::app {

using Command = std::function<void(ProgramState&, UiPort&)>;
using EndProgram = std::function<void(int exit_code)>;

inline constexpr int kExitConnectionFailed = 2;

// Heads the message of a fault in the program's own use of the database layer,
// which is not the server's doing.
inline constexpr const char* kProgramFaultMessage =
    "The command was stopped by a fault in this program, not by the database:\r\n";

// What a command's failure shows: the connection message for
// db::ConnectionFailed (connection_lost set), kProgramFaultMessage with the
// text of a db::UsageError, the text of any other exception.
struct Failure {
  std::string message;
  bool connection_lost = false;
};
Failure failure_of(const std::exception_ptr& thrown);

// Runs `command`. On db::ConnectionFailed: shows the connection message, then
// calls end_program(kExitConnectionFailed). On db::UsageError: shows
// kProgramFaultMessage with its text. On any other exception: shows its
// text and puts the buttons, the status label and the progress line back as
// they were before the command, so that the window can be used again.
void run_command(ProgramState& state, UiPort& ui, const Command& command,
                 const EndProgram& end_program);

// Ends the process at once: the open connection is closed, nothing else runs
// (a command waiting in process_events never resumes).
[[noreturn]] void end_program_now(db::Session& session, int exit_code);

}  // namespace vl::app
