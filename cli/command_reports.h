#pragma once
// The commands the window has buttons for, run through the engine and told as
// the command line tells them: the result on standard output, the messages
// and what stays on standard error, and the exit code.

#include <functional>
#include <optional>
#include <string>

#include "app/command_journal.h"
#include "cli/options.h"
#include "cli/result_output.h"
#include "cli/terminal_ui.h"
#include "core/ending.h"
#include "core/random.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"

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

// Runs `command`; what it throws is shown as the window shows it and given
// back as its ending.
std::optional<Ending> guarded(TerminalUi& ui, const std::function<void()>& command);

// Ctrl+C: the report, the journal's run ended, unfinished files removed, the
// program ended at once.
[[noreturn]] void end_interrupted(db::Session& session, TerminalUi& ui, const Report& report);

// The write commands run statement by statement, reported; they give back how
// they ended, which the journal's ending and the exit code both come from.
// `style`: how the result is shown.
app::StepwiseEnd generate_window_way(db::Session& session, TerminalUi& ui,
                                     loot::FixedInputs& inputs, Random& random,
                                     const ResultStyle& style);
app::StepwiseEnd delete_drops(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs,
                              const ResultStyle& style);
app::StepwiseEnd repair(db::Session& session, TerminalUi& ui, const ResultStyle& style);
int stats(db::Session& session, TerminalUi& ui, Format format);
int test_rules(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs);

}  // namespace vl::cli
