#pragma once
// The commands of the command line: each drives the window's handler for it
// over the program state and the terminal port, and says how it went.

#include <string>

#include "cli/options.h"
#include "cli/run_journal.h"
#include "cli/terminal_ui.h"
#include "core/program_state.h"

namespace vl::cli {

// Runs the invocation's command (confirmation included) and returns the exit
// code once the result and messages are printed. A lost connection and Ctrl+C
// end the program from inside, after the same report. `journal` (nullptr: none)
// records a write command's run.
int run_command_line(ProgramState& state, TerminalUi& ui, const Invocation& run,
                     RunJournal* journal);

}  // namespace vl::cli
