#pragma once
// generate with a plan: --dry-run shows it (and writes its review script and
// report), --atomic writes it all or nothing; and --report for a run written
// the window's way, from the plan of the same seed.

#include <cstdint>
#include <memory>
#include <variant>

#include "cli/options.h"
#include "cli/result_output.h"
#include "cli/terminal_ui.h"
#include "core/whole_file.h"
#include "db/session.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_drop_rates.h"

namespace vl::cli {

// --dry-run or --atomic, on a connection of its own. Returns the exit code.
// `style`: how the atomic run's result is shown.
int run_planned(db::Session& session, loot::FixedInputs& inputs, TerminalUi& ui,
                const Invocation& run, std::uint64_t seed, const ResultStyle& style);

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
