#include "cli/apply.h"

#include <chrono>
#include <cstdio>

#include "app/plan_flow.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/planned_run.h"

namespace vl::cli {

int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal) {
  const auto started = std::chrono::steady_clock::now();
  const std::string& path = *run.plan;
  app::SavedPlan saved;
  try {
    saved = app::load_plan_file(path);
  } catch (const app::PlanFileError& error) {
    std::fprintf(stderr,
                 "vandril_loot_cli: the plan %s cannot be applied: %s. Nothing was written.\n",
                 path.c_str(), error.what());
    return kExitRefused;
  }
  // Checking only reads: Ctrl+C may end it at once.
  end_at_once_on_interrupt(true);
  return exit_code_of(app::apply_saved_plan(
      plan_shell(session, run.yes, run.format, saved.settings.seed), session, saved, path, journal,
      {.stop_requested = interrupted, .started = started}));
}

}  // namespace vl::cli
