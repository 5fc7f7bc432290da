#include "app/stepwise_runs.h"

#include <fmt/core.h>

#include <algorithm>
#include <exception>

#include "app/command_failure.h"
#include "db/database.h"
#include "journal/deleted_rows.h"
#include "loot/generate.h"
#include "maintenance/drop_removal.h"
#include "maintenance/dry_runs.h"
#include "maintenance/npc_repair.h"

namespace vl::app {
namespace {

std::string bar(double fraction) {
  constexpr int kWidth = 24;
  const int filled = static_cast<int>(fraction * kWidth);
  return "[" + std::string(filled, '#') + std::string(kWidth - filled, '-') + "]";
}

// The message of an ending: the engine's, or that of what it caught.
std::string shown(const std::string& message, const std::exception_ptr& thrown) {
  return thrown ? failure_of(thrown).message : message;
}

// A stop the engine told: its message shown like a message box, then reported.
StepwiseReport told_failure(const StepwiseShell& shell, Ending ending, const std::string& message,
                            bool written, std::string note = "") {
  shell.message_box(message);
  return {.end = {.ending = ending, .written = written}, .failed = true, .note = std::move(note)};
}

std::string generate_progress(const loot::GenerateCounts& seen, double seconds) {
  if (seen.npcs == 0) return "";
  const double rate = static_cast<double>(seen.walked) / std::max(seconds, 1e-3);
  return fmt::format("NPC {} of {} {} drops {}  {:.0f} NPC/s  {:.0f} s left", seen.walked,
                     seen.npcs, bar(double(seen.walked) / double(seen.npcs)), seen.drops, rate,
                     static_cast<double>(seen.npcs - seen.walked) / rate);
}

std::string generate_stop_note(const loot::GenerateCounts& seen) {
  if (seen.npcs == 0) return "Stopped by Ctrl+C before the first NPC; nothing was written.";
  return fmt::format(
      "Stopped by Ctrl+C before NPC {} of {}: {} custom loot drops with {} entries were written "
      "and stay.",
      seen.walked, seen.npcs, seen.drops, seen.entries);
}

std::string delete_stop_note(const maintenance::DeleteCounts& seen, const std::string& range) {
  if (!seen.drops_gone) return "Stopped by Ctrl+C before anything was deleted.";
  return fmt::format(
      "Stopped by Ctrl+C: the {} custom loot drops of {} are deleted; the entries of {} of them "
      "are removed, those of the other {} stay without their lootdrop (check lists them).",
      seen.drops, range, seen.cleaned, seen.drops - seen.cleaned);
}

}  // namespace

StepwiseReport generate_window_way(db::Session& session, loot::FixedInputs& inputs, Random& random,
                                   const StepwiseShell& shell) {
  loot::GenerateCounts seen;
  const auto result = [&](std::size_t walked) {
    return generate_fields(seen.npcs, walked, static_cast<std::size_t>(seen.chosen),
                           static_cast<std::size_t>(seen.drops),
                           static_cast<std::size_t>(seen.entries), shell.seconds());
  };
  // Stopped before an NPC's step, that NPC is not walked.
  const RunSoFar so_far{.progress_line = [&] { return generate_progress(seen, shell.seconds()); },
                        .stop_note = [&] { return generate_stop_note(seen); },
                        .result = [&] { return result(seen.walked > 0 ? seen.walked - 1 : 0); }};
  loot::GenerateEvents events;
  events.notice = shell.message_box;
  events.progress = [&](loot::GenerateStage stage, const loot::GenerateCounts& counts) {
    seen = counts;
    // The window lets its events through only here.
    if (stage == loot::GenerateStage::npc || stage == loot::GenerateStage::reading_items)
      shell.step(so_far);
  };

  const loot::GenerateOutcome outcome = loot::generate(session, random, inputs, events);
  seen = outcome.counts;
  StepwiseReport report;
  if (outcome.ending != Ending::completed) {
    const std::string note = seen.written()
                                 ? fmt::format(
                                       "Written before the stop, and staying: {} lootdrops, {} "
                                       "lootdrop entries, {} loottable entries.",
                                       seen.drops, seen.entries, seen.links)
                                 : "";
    report = told_failure(shell, outcome.ending, shown(outcome.message, outcome.thrown),
                          seen.written(), note);
  } else {
    shell.message_box(outcome.message);
  }
  report.result = result(seen.walked);
  return report;
}

StepwiseReport delete_range_drops(db::Session& session, const std::string& range,
                                  const StepwiseShell& shell) {
  maintenance::DeleteCounts seen;
  const auto result = [&]() -> ResultFields {
    return {{"deleted", static_cast<long long>(seen.drops_gone ? seen.drops : 0)}};
  };
  const RunSoFar so_far{.progress_line = [&]() -> std::string {
                          if (!seen.drops_gone || seen.drops <= 0) return "";
                          return fmt::format("entries of drop {} of {} removed {}", seen.cleaned,
                                             seen.drops, bar(double(seen.cleaned) / seen.drops));
                        },
                        .stop_note = [&] { return delete_stop_note(seen, range); },
                        .result = result};
  const auto progress = [&](const maintenance::DeleteCounts& counts) {
    seen = counts;
    shell.step(so_far);
  };

  StepwiseReport report;
  try {
    const maintenance::DeleteOutcome outcome =
        maintenance::delete_custom_drops(session, range, progress);
    seen = outcome.counts;
    if (outcome.ending != Ending::completed)
      report = told_failure(shell, outcome.ending, outcome.message, seen.drops_sent);
  } catch (...) {
    const Failure failure = failure_of(std::current_exception());
    report =
        told_failure(shell, failure.connection_lost ? Ending::connection_lost : Ending::refused,
                     failure.message, seen.drops_sent);
  }
  report.result = result();
  return report;
}

StepwiseReport repair_lootless_npcs(db::Session& session, const StepwiseShell& shell) {
  maintenance::RepairCounts seen;
  const auto result = [&]() -> ResultFields {
    return {{"repaired", static_cast<long long>(seen.repaired)}};
  };
  const RunSoFar so_far{
      .progress_line = [&]() -> std::string {
        if (seen.step == 0 || seen.npcs == 0) return "";
        return fmt::format("NPC {} of {} {} repaired {}", seen.step, seen.npcs,
                           bar(double(seen.step) / seen.npcs), seen.repaired);
      },
      .stop_note =
          [&] {
            return fmt::format("Stopped by Ctrl+C: {} NPCs were repaired and stay so{}.",
                               seen.repaired,
                               seen.tables > seen.repaired ? "; one loottable was written before "
                                                             "its NPC was pointed at it"
                                                           : "");
          },
      .result = result};
  const auto progress = [&](const maintenance::RepairCounts& counts) {
    seen = counts;
    shell.step(so_far);
  };

  Random random;
  const maintenance::RepairOutcome outcome =
      maintenance::repair_npcs(session, random, {progress, progress});
  seen = outcome.counts;
  StepwiseReport report;
  if (outcome.ending != Ending::completed) {
    report = told_failure(
        shell, outcome.ending, shown(outcome.message, outcome.thrown), seen.written,
        seen.written ? fmt::format("{} NPCs were repaired before the stop.", seen.repaired) : "");
  }
  report.result = result();
  return report;
}

std::string stepwise_question(db::Session& session, WriteCommand command,
                              const std::string& range) {
  const bool deleting = command == WriteCommand::delete_drops;
  db::open_database(session);
  const long long count = deleting ? maintenance::drops_to_delete(*session.db_connection, range)
                                   : maintenance::npcs_to_repair(*session.db_connection);
  session.db_connection->close();
  return deleting ? fmt::format("Delete {} custom loot drops of {}?", count, range)
                  : fmt::format("Repair {} NPCs without loot?", count);
}

std::optional<RunNotBegun> begin_stepwise_run(
    CommandJournal& journal, db::Session& session, WriteCommand command,
    const std::string& settings, const std::string& range,
    const std::function<std::unique_ptr<db::Connection>()>& connect) {
  try {
    journal.begin(session, journal_name(command), settings);
    if (command != WriteCommand::delete_drops) return std::nullopt;
    const auto connection = connect();
    if (!connection) return RunNotBegun{.ending = Ending::connection_lost};
    journal.record(journal::rows_to_delete(*connection, maintenance::removal_pattern(range)));
  } catch (const journal::JournalError& error) {
    return RunNotBegun{.journal_refused = error.what()};
  } catch (const db::Error& error) {
    return RunNotBegun{.message =
                           db::statement_failed_message(error, "(reading the rows to delete)") +
                           "\nNothing was written."};
  }
  return std::nullopt;
}

}  // namespace vl::app
