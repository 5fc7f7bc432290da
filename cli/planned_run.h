#pragma once
// generate with a plan: --dry-run shows it (and writes its review script and
// report), --atomic writes it all or nothing; and --report for a run written
// the window's way, from the plan of the same seed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "cli/options.h"
#include "cli/result_output.h"
#include "cli/terminal_ui.h"
#include "core/whole_file.h"
#include "db/session.h"
#include "loot/atomic_writer.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

// generate's files (--sql, --report, --plan) tried where they are named, before
// the journal opens or anything connects: a folder in a file's place, a folder
// missing or not writable is told then, not after the world was written. The
// exit code when one cannot be written, said.
std::optional<int> refuse_unwritable_outputs(const Invocation& run);

// Begins the journal's run once there is something to write: how the result is
// shown (with the run's id), or the exit code when the run cannot begin.
using BeginWriting = std::function<std::variant<ResultStyle, int>()>;

// --dry-run or --atomic, on a connection of its own. Returns the exit code.
// `begin_writing`: called after planning, before the atomic run writes, so that
// a stop while planning leaves no run in the journal.
int run_planned(db::Session& session, loot::FixedInputs& inputs, TerminalUi& ui,
                const Invocation& run, std::uint64_t seed, const BeginWriting& begin_writing);

// Before generate writes, on a terminal: the summary of the plan of `seed`
// and the question. The exit code when it must not write (declined, or the
// plan could not be made).
std::optional<int> confirm_generate(db::Session& session, loot::FixedInputs& inputs,
                                    std::uint64_t seed);

// The plan's summary (its totals and drop rates) on standard error, then the
// question "Write N drops with M entries?". The exit code when declined or
// when the summary could not be read.
std::optional<int> ask_about_plan(const loot::Plan& plan, db::Connection& connection);

struct PlanWritten {
  int exit_code = 0;
  std::size_t drops = 0;  // written
};

// Writes `plan` all or nothing over `connection` (`ids_as_planned`: only with
// the plan's lootdrop ids; `world_changes`: see loot::write_atomically) and
// prints the result line, counting its seconds from `started`.
PlanWritten write_plan(db::Session& session, db::Connection& connection, loot::Plan& plan,
                       std::chrono::steady_clock::time_point started, bool ids_as_planned,
                       const ResultStyle& style, const loot::WorldChanges& world_changes = {});

struct WindowRunReport {
  loot::Plan plan;
  std::unique_ptr<WholeFile> file;
  std::uint64_t seed = 0;
  loot::PlanDropRates rates;  // read with the plan, before the run
};

// Before a run the window's way with --report: the plan of the same seed and
// the report file, or the exit code when either could not be had.
std::variant<std::unique_ptr<WindowRunReport>, int> prepare_window_report(db::Session& session,
                                                                          loot::FixedInputs& inputs,
                                                                          const Invocation& run,
                                                                          std::uint64_t seed);

// After the run: the report of the drops it wrote, with the ids it took. False,
// said, when it could not be written.
bool finish_window_report(db::Session& session, WindowRunReport& report, const Invocation& run);

}  // namespace vl::cli
