#include "cli/apply.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "app/plan_checks.h"
#include "app/plan_file.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/planned_run.h"
#include "cli/terminal_ui.h"
#include "db/database.h"
#include "loot/plan_fit.h"

namespace vl::cli {
namespace {

void say(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

app::SavedPlan read_plan(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw app::PlanFileError("it cannot be read");
  // Read a piece at a time, up to one byte beyond the limit: enough to refuse
  // a file too large without holding it.
  std::string text;
  std::vector<char> piece(std::size_t{1} << 20);
  while (file && text.size() <= app::kMostPlanFileBytes) {
    file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    text.append(piece.data(), static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) throw app::PlanFileError("it cannot be read");
  return app::read_plan_file(text);
}

// One line per reason, after `head`.
void say_list(std::string head, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) head += "\n  " + line;
  say(head);
}

}  // namespace

int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal) {
  const auto started = std::chrono::steady_clock::now();
  const std::string& path = *run.plan;
  app::SavedPlan saved;
  try {
    saved = read_plan(path);
  } catch (const app::PlanFileError& error) {
    say("vandril_loot_cli: the plan " + path + " cannot be applied: " + error.what() +
        ". Nothing was written.");
    return kExitRefused;
  }
  const app::PlanRulesCheck check = app::check_plan_rules(saved);
  if (!check.breaks.empty()) {
    say_list("The plan " + path +
                 " is not one generate makes from its own settings; nothing was written:",
             check.breaks);
    return kExitRefused;
  }
  // Checking only reads: Ctrl+C may end it at once.
  end_at_once_on_interrupt(true);
  const auto connection = observed_connection(session);
  if (!connection) return kExitNotConnected;
  std::vector<std::string> misfits;
  try {
    misfits = loot::plan_misfits(saved.plan, check.rules, *connection);
  } catch (const db::Error& error) {
    say(db::statement_failed_message(error, "(checking the world against the plan)"));
    return kExitRefused;
  }
  if (!misfits.empty()) {
    say_list(
        "The world no longer fits the plan " + path + "; nothing was written (make a new plan):",
        misfits);
    return kExitRefused;
  }
  if (!run.yes)
    if (auto declined = ask_about_plan(saved.plan, *connection)) return *declined;
  // Checked again under the run's turn, the rows held until COMMIT: a writer
  // that came between the check above and the write is never overwritten.
  const auto world_changes = [&] {
    return loot::world_misfits(saved.plan, check.rules, *connection, true);
  };
  return write_plan(session, *connection, saved.plan, journal,
                    {.command = "apply",
                     .settings = journal::generation_settings(saved.settings),
                     .ids_as_planned = true,
                     .world_changes = world_changes,
                     .started = started},
                    run.format, saved.settings.seed);
}

}  // namespace vl::cli
