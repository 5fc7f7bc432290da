#include "cli/journal_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/run_json.h"
#include "app/run_text.h"
#include "app/undo_flow.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/question.h"
#include "cli/result_output.h"
#include "cli/terminal_ui.h"
#include "db/database.h"

namespace vl::cli {
namespace {

void say_no_run(std::int64_t id) {
  std::fprintf(stderr, "vandril_loot_cli: the journal holds no run %lld\n", (long long)id);
}

std::optional<journal::RunInfo> find(journal::Store& store, std::int64_t id) {
  auto runs = store.find_run(id);
  if (runs.empty()) {
    say_no_run(id);
    return std::nullopt;
  }
  return runs.front();
}

void print_conflicts(const journal::UndoPlan& plan) {
  const app::ConflictSummary summary = app::summarize_conflicts(plan);
  for (const std::string& conflict : summary.shown)
    std::fprintf(stderr, "conflict: %s\n", terminal_text(conflict).c_str());
  if (summary.more > 0)
    std::fprintf(stderr, "... and %zu more conflicts (%s)\n", summary.more,
                 summary.per_table.c_str());
  if (!summary.cause.empty()) std::fprintf(stderr, "%s\n", summary.cause.c_str());
}

}  // namespace

int history_command(journal::Store& store, Format format) {
  const auto runs = store.runs();
  std::fputs((format == Format::json ? json_text(app::history_json(runs)) + "\n"
                                     : app::history_text(runs, terminal_text))
                 .c_str(),
             stdout);
  return kExitDone;
}

int show_command(journal::Store& store, std::int64_t id, Format format) {
  const auto run = find(store, id);
  if (!run) return kExitRefused;
  const auto rows = store.rows(id);
  std::fputs((format == Format::json ? json_text(app::run_json(*run, rows)) + "\n"
                                     : app::run_text(*run, rows, terminal_text))
                 .c_str(),
             stdout);
  return kExitDone;
}

int undo_command(db::Session& state, journal::Store& store, const Invocation& invocation,
                 bool on_terminal) {
  int declined = kExitRefused;  // how a run not undone after the reading ends
  app::UndoSteps steps;
  steps.connect = [&state] { return connect_or_say(state); };
  steps.confirm = [&](const journal::UndoPlan& plan) {
    print_conflicts(plan);
    if (!plan.conflicts.empty() && !invocation.force) {
      std::fprintf(stderr, "%zu conflicts; nothing was changed (--force skips them).\n",
                   plan.conflicts.size());
      return false;
    }
    if (invocation.dry_run && invocation.format == Format::json) {
      const nlohmann::ordered_json listed = {{"run", invocation.run_id},
                                             {"statements", plan.statements}};
      std::printf("%s\n", json_text(listed).c_str());
      declined = kExitDone;
      return false;
    }
    if (invocation.dry_run) {
      for (const std::string& sql : plan.statements) std::printf("%s\n", sql.c_str());
      declined = kExitDone;
      return false;
    }
    if (!invocation.yes && on_terminal &&
        !answered_yes(journal::undo_question(invocation.run_id, plan.statements.size()))) {
      std::fprintf(stderr, "Nothing was changed.\n");
      return false;
    }
    // From here Ctrl+C rolls the transaction back; once it is committed, the run is undone.
    end_at_once_on_interrupt(false);
    return true;
  };
  // Nobody is asked with --yes: nothing waits between reading the world and undoing.
  steps.waits = invocation.dry_run || (!invocation.yes && on_terminal);
  steps.stop_requested = interrupted;
  const app::UndoResult result = app::undo_journaled_run(store, state, invocation.run_id, steps);
  switch (result.ending) {
    case Ending::refused:
      if (result.no_such_run)
        say_no_run(invocation.run_id);
      else
        std::fprintf(stderr, "%s\n", result.message.c_str());
      break;
    case Ending::declined:
      return declined;
    case Ending::world_changed:
      print_conflicts(result.applied);
      std::fprintf(stderr, "The world changed while undo waited; nothing was changed.\n");
      break;
    case Ending::interrupted:
      std::fprintf(stderr, "Stopped by Ctrl+C: the undo was rolled back; nothing was changed.\n");
      break;
    case Ending::rejected:
      std::fprintf(stderr, "%s\nNothing was changed.\n",
                   db::statement_failed_message(*result.failure, "(undoing the run)").c_str());
      break;
    case Ending::commit_unknown:
      std::fprintf(stderr,
                   "The connection to the server was lost during COMMIT: either all of run %lld "
                   "was undone or none of it, and the journal still counts it as not undone.\n"
                   "%s\n",
                   static_cast<long long>(invocation.run_id), result.failure->what());
      break;
    case Ending::journal_refused:
      std::fprintf(stderr, "vandril_loot_cli: the journal: %s\n", result.message.c_str());
      break;
    case Ending::connection_lost:  // connect said why
    case Ending::stopped_part_way:
    case Ending::completed:
      break;
  }
  if (result.ending != Ending::completed) return exit_code_of(result.ending);
  if (!result.unmarked.empty()) {
    std::fprintf(stderr, "vandril_loot_cli: the journal: %s\n", result.unmarked.c_str());
    return kExitRefused;
  }
  const auto count = [](std::size_t n) { return static_cast<long long>(n); };
  std::fputs(result_text({{"undone", static_cast<long long>(invocation.run_id)},
                          {"statements", count(result.applied.statements.size())},
                          {"skipped", count(result.applied.conflicts.size())}},
                         {invocation.format, {}})
                 .c_str(),
             stdout);
  return kExitDone;
}

}  // namespace vl::cli
