#include "cli/journal_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/question.h"
#include "cli/terminal_ui.h"
#include "db/database.h"
#include "journal/run_settings.h"
#include "journal/undo.h"

namespace vl::cli {
namespace {

bool undoable(const journal::RunInfo& run) { return journal::why_not_undoable(run).empty(); }

std::optional<journal::RunInfo> find(journal::Store& store, std::int64_t id) {
  auto runs = store.find_run(id);
  if (runs.empty()) {
    std::fprintf(stderr, "vandril_loot_cli: the journal holds no run %lld\n", (long long)id);
    return std::nullopt;
  }
  return runs.front();
}

void print_conflicts(const journal::UndoPlan& plan) {
  for (const std::string& conflict : plan.conflicts)
    std::fprintf(stderr, "conflict: %s\n", terminal_text(conflict).c_str());
}

}  // namespace

int history_command(journal::Store& store, Format format) {
  const auto runs = store.runs();
  if (format == Format::json) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& run : runs) {
      list.push_back({{"id", run.id},
                      {"when", run.started},
                      {"command", run.command},
                      {"range", journal::setting_of(run.settings, "levels")},
                      {"category", journal::setting_of(run.settings, "category")},
                      {"rows", run.rows},
                      {"outcome", journal::shown_outcome(run)},
                      {"undoable", undoable(run)}});
    }
    std::printf("%s\n", json_text(list).c_str());
    return kExitDone;
  }
  std::printf("%-5s %-20s %-8s %-6s %-22s %6s  %-10s %s\n", "id", "when", "command", "range",
              "category", "rows", "undoable", "outcome");
  for (const auto& run : runs) {
    std::printf("%-5lld %-20s %-8s %-6s %-22s %6lld  %-10s %s\n", (long long)run.id,
                run.started.c_str(), run.command.c_str(),
                journal::setting_of(run.settings, "levels").c_str(),
                journal::setting_of(run.settings, "category").c_str(), (long long)run.rows,
                undoable(run) ? "yes" : "no", journal::shown_outcome(run).c_str());
  }
  return kExitDone;
}

int show_command(journal::Store& store, std::int64_t id) {
  const auto run = find(store, id);
  if (!run) return kExitRefused;
  std::printf("run %lld: %s on %s at %s\nstarted %s, ended %s\nsettings: %s\noutcome: %s\n",
              (long long)run->id, run->command.c_str(), run->database.c_str(), run->host.c_str(),
              run->started.c_str(), run->ended.empty() ? "never" : run->ended.c_str(),
              terminal_text(run->settings).c_str(), journal::shown_outcome(*run).c_str());
  for (const auto& row : store.rows(id)) {
    std::printf("%s %s%s\n", journal::kind_name(row.kind),
                terminal_text(journal::describe(row)).c_str(),
                row.uncertain ? " (may not have reached the world)" : "");
  }
  return kExitDone;
}

int undo_command(db::Session& state, journal::Store& store, const Invocation& invocation,
                 bool on_terminal) {
  const auto run = find(store, invocation.run_id);
  if (!run) return kExitRefused;
  if (const std::string refusal = journal::undo_refusal(*run, state); !refusal.empty()) {
    std::fprintf(stderr, "%s\n", refusal.c_str());
    return kExitRefused;
  }
  const auto reached = connect_or_say(state);
  if (!reached) return kExitNotConnected;
  db::Connection& connection = *reached;
  try {
    const std::vector<journal::Row> rows = store.rows(run->id);
    if (const std::string refusal = journal::rollback_refusal(connection, rows); !refusal.empty()) {
      std::fprintf(stderr, "%s\n", refusal.c_str());
      return kExitRefused;
    }
    const journal::UndoPlan plan = journal::plan_undo(connection, rows);
    print_conflicts(plan);
    if (!plan.conflicts.empty() && !invocation.force) {
      std::fprintf(stderr, "%zu conflicts; nothing was changed (--force skips them).\n",
                   plan.conflicts.size());
      return kExitRefused;
    }
    if (invocation.dry_run) {
      for (const std::string& sql : plan.statements) std::printf("%s\n", sql.c_str());
      return kExitDone;
    }
    if (!invocation.yes && on_terminal &&
        !answered_yes(journal::undo_question(run->id, plan.statements.size()))) {
      std::fprintf(stderr, "Nothing was changed.\n");
      return kExitRefused;
    }
    // From here Ctrl+C rolls the transaction back; once it is committed, the run is undone.
    end_at_once_on_interrupt(false);
    const auto applied = journal::apply_undo(connection, rows, plan, interrupted);
    if (applied.outcome == journal::UndoOutcome::world_changed) {
      print_conflicts(applied.plan);
      std::fprintf(stderr, "The world changed while undo waited; nothing was changed.\n");
      return kExitRefused;
    }
    if (applied.outcome == journal::UndoOutcome::stopped) {
      std::fprintf(stderr, "Stopped by Ctrl+C: the undo was rolled back; nothing was changed.\n");
      return kExitInterrupted;
    }
    store.set_undone(run->id);
    std::printf("undone=%lld statements=%zu skipped=%zu\n", (long long)run->id,
                applied.plan.statements.size(), applied.plan.conflicts.size());
    return kExitDone;
  } catch (const db::Error& error) {
    std::fprintf(stderr, "%s\nNothing was changed.\n",
                 plain_lines(db::statement_failed_message(error, "(undoing the run)")).c_str());
    return kExitRefused;
  } catch (const journal::JournalError& error) {
    std::fprintf(stderr, "vandril_loot_cli: the journal: %s\n", error.what());
    return kExitRefused;
  }
}

}  // namespace vl::cli
