#include "cli/apply.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/plan_file.h"
#include "cli/planned_run.h"
#include "cli/terminal_ui.h"
#include "db/database.h"
#include "loot/plan_fit.h"

namespace vl::cli {
namespace {

void say(const std::string& text) { std::fprintf(stderr, "%s\n", plain_lines(text).c_str()); }

SavedPlan read_plan(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) throw PlanFileError("it cannot be read");
  return read_plan_file(text.str());
}

}  // namespace

int apply_plan(db::Session& session, const Invocation& run, RunJournal* journal) {
  const auto started = std::chrono::steady_clock::now();
  const std::string& path = *run.plan;
  SavedPlan saved;
  try {
    saved = read_plan(path);
  } catch (const PlanFileError& error) {
    say("vandril_loot_cli: the plan " + path + " cannot be applied: " + error.what() +
        ". Nothing was written.");
    return kExitRefused;
  }
  // Checking only reads: Ctrl+C may end it at once.
  end_at_once_on_interrupt(true);
  const auto connection = observed_connection(session);
  if (!connection) return kExitNotConnected;
  std::vector<std::string> misfits;
  try {
    misfits = loot::plan_misfits(saved.plan, saved.missing_items, *connection);
  } catch (const db::Error& error) {
    say(db::statement_failed_message(error, "(checking the world against the plan)"));
    return kExitRefused;
  }
  if (!misfits.empty()) {
    std::string text = "The world no longer fits the plan " + path + "; nothing was written:";
    for (const std::string& misfit : misfits) text += "\n  " + misfit;
    say(text);
    return kExitRefused;
  }
  if (!run.yes)
    if (auto declined = ask_about_plan(saved.plan, *connection)) return *declined;
  // From here on Ctrl+C stops the write where it may, so that the run begun is ended.
  end_at_once_on_interrupt(false);
  if (journal) {
    try {
      journal->begin(session, "apply", journal::generation_settings(saved.settings));
    } catch (const journal::JournalError& error) {
      say_journal_refused(error.what());
      return kExitRefused;
    }
    connection->set_gate(session.statement_gate);
  }
  const ResultStyle style = write_result_style(
      run.format, journal ? std::optional<std::int64_t>(journal->run_id()) : std::nullopt,
      saved.settings.seed);
  return write_plan(session, *connection, saved.plan, started, true, style).exit_code;
}

}  // namespace vl::cli
