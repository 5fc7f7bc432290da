#pragma once
// The commands the window has buttons for, run through the engine and told as
// the command line tells them: the result on standard output, the messages
// and what stays on standard error, and the exit code.

#include <functional>
#include <optional>
#include <string>

#include "app/read_commands.h"
#include "app/stepwise_runs.h"
#include "cli/options.h"
#include "cli/result_output.h"
#include "cli/terminal_ui.h"
#include "core/ending.h"
#include "db/session.h"

namespace vl::cli {

struct Report {
  app::StepwiseEnd end;  // how it ended; the exit code comes from it (exit_code_of)
  std::string result;    // standard output
  std::string note;      // standard error, after the messages
  bool last_message_is_error = false;
};

// A failure: refused when nothing was written, stopped part-way otherwise.
Report failed(Ending ending, bool written, std::string note = "");

// Prints the report (the last message again when messages are not echoed and
// it tells the failure); a lost server ends the journal's run as such. Returns
// the exit code.
int finish(TerminalUi& ui, const Report& report);

// Message boxes as the terminal shows them.
app::MessageBox message_box_of(TerminalUi& ui);

// Reports a command that only reads (app/read_commands): the text of its
// `result` on standard output unless it failed. Returns the exit code.
int finish_read(TerminalUi& ui, const app::ReadEnd& end,
                const std::function<std::string()>& result);

// Ctrl+C: the report, the journal's run ended, unfinished files removed, the
// program ended at once.
[[noreturn]] void end_interrupted(db::Session& session, TerminalUi& ui, const Report& report);

// A command that writes statement by statement (app/stepwise_runs), run with
// its progress line, Ctrl+C and its report; gives back how it ended, which the
// journal's ending and the exit code both come from. `style`: how the result
// is shown.
using StepwiseCommand = std::function<app::StepwiseReport(const app::StepwiseShell&)>;
app::StepwiseEnd report_stepwise(db::Session& session, TerminalUi& ui, const ResultStyle& style,
                                 const StepwiseCommand& command);
}  // namespace vl::cli
