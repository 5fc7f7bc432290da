#pragma once
// The commands the window has buttons for that write statement by statement
// (Execute, delete, repair), run with their progress line, the note on what
// stays when they stop and their result counts worded here once, so that every
// shell shows the same. What was written before a failure stays.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/command_journal.h"
#include "app/result_fields.h"
#include "app/shell_settings.h"
#include "core/random.h"
#include "db/odbc.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"

namespace vl::app {

// A run as it stands at one moment, read from its counts when asked.
struct RunSoFar {
  std::function<std::string()> progress_line;  // "" while there is nothing to show
  std::function<std::string()> stop_note;      // what stays when it is stopped now
  std::function<ResultFields()> result;        // its result when it is stopped now
};

struct StepwiseShell {
  std::function<void(const std::string&)> message_box;
  std::function<double()> seconds;  // since the command began
  // Where the window lets its events through: before each NPC, after each
  // statement. `now` stays valid until the run returns; the shell may end the
  // program here.
  std::function<void(const RunSoFar& now)> step;
};

struct StepwiseReport {
  StepwiseEnd end;
  bool failed = false;  // the last message box told why it stopped
  std::string note{};   // what stays after a stop ("" none)
  ResultFields result{};
};

// Execute: the run with `inputs`, its random choices from `random`.
StepwiseReport generate_window_way(db::Session& session, loot::FixedInputs& inputs, Random& random,
                                   const StepwiseShell& shell);
// The custom loot drops of `range` ("01-10") deleted.
StepwiseReport delete_range_drops(db::Session& session, const std::string& range,
                                  const StepwiseShell& shell);
// The NPCs without loot given a loottable.
StepwiseReport repair_lootless_npcs(db::Session& session, const StepwiseShell& shell);

// The question asked before delete (of `range`) or repair, with the rows it
// would change counted over the session's connection, opened and closed here.
// Throws what the count throws.
std::string stepwise_question(db::Session& session, WriteCommand command, const std::string& range);

// Why a stepwise run could not begin in its journal; nothing was sent.
struct RunNotBegun {
  Ending ending = Ending::refused;  // connection_lost: connect gave no connection (it said why)
  std::optional<std::string> journal_refused{};  // the journal's reason, when it refused the run
  std::string message{};  // else what the shell says, "\n" between lines ("" when connect said it)
};

// Begins `journal`'s run of a stepwise command with its kept `settings`; for
// delete, records the rows of `range` it is about to remove, read over
// `connect()` before its statements.
std::optional<RunNotBegun> begin_stepwise_run(
    CommandJournal& journal, db::Session& session, WriteCommand command,
    const std::string& settings, const std::string& range,
    const std::function<std::unique_ptr<db::Connection>()>& connect);

}  // namespace vl::app
