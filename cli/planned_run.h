#pragma once
// generate with a plan: --dry-run shows it (and writes its review script and
// report), --atomic writes it all or nothing; apply writes a saved one; and
// --report for a run written the window's way, from the plan of the same seed. The flows are app's
// (app/plan_flow); here they meet the terminal, the files and the exit codes.

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

#include "cli/options.h"
#include "cli/run_journal.h"
#include "core/whole_file.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

// generate's files (--sql, --report, --plan) tried where they are named, before
// the journal opens or anything connects: a folder in a file's place, a folder
// missing or not writable is told then, not after the world was written. The
// exit code when one cannot be written, said.
std::optional<int> refuse_unwritable_outputs(const Invocation& run);

// --dry-run, or the plan written all or nothing (asked about first on a
// terminal, without --yes), on a connection of its own, the world planned once.
// `journal` (nullptr: none) records the write. Returns the exit code.
int run_planned(db::Session& session, loot::FixedInputs& inputs, const Invocation& run,
                std::uint64_t seed, RunJournal* journal);

// Before generate writes the window's way, on a terminal: the summary of the
// plan of `seed` and the question. The exit code when it must not write
// (declined, or the plan could not be made).
std::optional<int> confirm_generate(db::Session& session, loot::FixedInputs& inputs,
                                    std::uint64_t seed);

// apply FILE: a plan saved by generate --dry-run --plan, read, checked against
// generate's rules and the world (what changed refuses it, exit 1), asked
// about unless --yes, then written with its own lootdrop ids. `journal`
// (nullptr: none) records the run. Returns the exit code.
int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal);

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
