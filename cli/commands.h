#pragma once
// The commands of the command line: each runs the engine's command with the
// settings of the invocation and says how it went.

#include "cli/options.h"
#include "cli/run_journal.h"
#include "cli/terminal_ui.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"

namespace vl::cli {

// Runs the invocation's command (confirmation included) and returns the exit
// code once the result and messages are printed. Ctrl+C ends the program from
// inside, after the same report. `journal` (nullptr: none) records a write
// command's run.
int run_command_line(db::Session& session, TerminalUi& ui, loot::FixedInputs& inputs,
                     const Invocation& run, RunJournal* journal);

}  // namespace vl::cli
