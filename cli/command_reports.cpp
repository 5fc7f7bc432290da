#include "cli/command_reports.h"

#include <fmt/core.h>

#include <algorithm>
#include <cstdio>

#include "app/command_failure.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "core/whole_file.h"
#include "loot/catalog.h"
#include "loot/generate.h"
#include "loot/rules.h"
#include "maintenance/drop_counts.h"
#include "maintenance/drop_removal.h"
#include "maintenance/npc_repair.h"

namespace vl::cli {
namespace {

std::string bar(double fraction) {
  constexpr int kWidth = 24;
  const int filled = static_cast<int>(fraction * kWidth);
  return "[" + std::string(filled, '#') + std::string(kWidth - filled, '-') + "]";
}

std::string range_of(const loot::FixedInputs& inputs) { return inputs.low + "-" + inputs.high; }

// A failure the engine told: shown like a message box, then reported.
Report told_failure(TerminalUi& ui, Ending ending, const std::string& message, bool written,
                    std::string note = "") {
  ui.message_box(message);
  return failed(ending, written, std::move(note));
}

// The message of an ending: the engine's, or that of what it caught.
std::string shown(const std::string& message, const std::exception_ptr& thrown) {
  return thrown ? app::failure_of(thrown).message : message;
}

}  // namespace

Report failed(Ending ending, bool written, std::string note) {
  Report report;
  report.last_message_is_error = true;
  report.note = std::move(note);
  report.end = {.ending = ending, .written = written};
  return report;
}

int finish(TerminalUi& ui, const Report& report) {
  ui.clear_progress();
  if (report.last_message_is_error && !ui.echoes_messages() && !ui.messages().empty()) {
    std::fprintf(stderr, "%s\n", ui.messages().back().c_str());
  }
  if (!report.note.empty()) std::fprintf(stderr, "%s\n", report.note.c_str());
  const int exit_code = exit_code_of(report.end);
  // Without a connection there is no result to give, not even counts of nothing.
  if (exit_code != kExitNotConnected) std::fputs(report.result.c_str(), stdout);
  std::fflush(nullptr);
  if (report.end.ending == Ending::connection_lost && !report.end.interrupted) {
    if (ui.on_end) ui.on_end(report.end);
    remove_unfinished_files();
  }
  return exit_code;
}

std::optional<Ending> guarded(TerminalUi& ui, const std::function<void()>& command) {
  try {
    command();
    return std::nullopt;
  } catch (...) {
    const app::Failure failure = app::failure_of(std::current_exception());
    ui.message_box(failure.message);
    return failure.connection_lost ? Ending::connection_lost : Ending::refused;
  }
}

void end_interrupted(db::Session& session, TerminalUi& ui, const Report& report) {
  Report told = report;
  told.end.interrupted = true;
  finish(ui, told);
  if (ui.on_end) ui.on_end(told.end);
  remove_unfinished_files();
  app::end_program_now(session, kExitInterrupted);
}

app::StepwiseEnd generate_window_way(db::Session& session, TerminalUi& ui,
                                     loot::FixedInputs& inputs, Random& random,
                                     const ResultStyle& style) {
  loot::GenerateCounts seen;
  const auto result = [&](std::size_t walked) {
    return result_text(generate_fields(seen.npcs, walked, static_cast<std::size_t>(seen.chosen),
                                       static_cast<std::size_t>(seen.drops),
                                       static_cast<std::size_t>(seen.entries), ui.seconds()),
                       style);
  };
  ui.progress_text = [&]() -> std::string {
    if (seen.npcs == 0) return "";
    const double rate = static_cast<double>(seen.walked) / std::max(ui.seconds(), 1e-3);
    return fmt::format("NPC {} of {} {} drops {}  {:.0f} NPC/s  {:.0f} s left", seen.walked,
                       seen.npcs, bar(double(seen.walked) / double(seen.npcs)), seen.drops, rate,
                       static_cast<double>(seen.npcs - seen.walked) / rate);
  };
  loot::GenerateEvents events;
  events.notice = [&ui](const std::string& text) { ui.message_box(text); };
  events.progress = [&](loot::GenerateStage stage, const loot::GenerateCounts& counts) {
    seen = counts;
    // Where the window lets its events through, Ctrl+C stops the run.
    if (stage != loot::GenerateStage::npc && stage != loot::GenerateStage::reading_items) return;
    ui.process_events();
    if (!interrupted()) return;
    Report report;
    report.note = seen.npcs == 0
                      ? std::string("Stopped by Ctrl+C before the first NPC; nothing was written.")
                      : fmt::format(
                            "Stopped by Ctrl+C before NPC {} of {}: {} custom loot drops with {} "
                            "entries were written and stay.",
                            seen.walked, seen.npcs, seen.drops, seen.entries);
    report.result = result(seen.walked > 0 ? seen.walked - 1 : 0);
    end_interrupted(session, ui, report);
  };

  const loot::GenerateOutcome outcome = loot::generate(session, random, inputs, events);
  seen = outcome.counts;
  Report report;
  if (outcome.ending != Ending::completed) {
    const std::string note = seen.written()
                                 ? fmt::format(
                                       "Written before the stop, and staying: {} lootdrops, {} "
                                       "lootdrop entries, {} loottable entries.",
                                       seen.drops, seen.entries, seen.links)
                                 : "";
    report = told_failure(ui, outcome.ending, shown(outcome.message, outcome.thrown),
                          seen.written(), note);
  } else {
    ui.message_box(outcome.message);
  }
  report.result = result(seen.walked);
  finish(ui, report);
  return report.end;
}

app::StepwiseEnd delete_drops(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs,
                              const ResultStyle& style) {
  maintenance::DeleteCounts seen;
  const auto result = [&] {
    return result_text({{"deleted", static_cast<long long>(seen.drops_gone ? seen.drops : 0)}},
                       style);
  };
  ui.progress_text = [&]() -> std::string {
    if (!seen.drops_gone || seen.drops <= 0) return "";
    return fmt::format("entries of drop {} of {} removed {}", seen.cleaned, seen.drops,
                       bar(double(seen.cleaned) / seen.drops));
  };
  const auto progress = [&](const maintenance::DeleteCounts& counts) {
    seen = counts;
    ui.repaint();
    if (!interrupted()) return;
    Report report;
    report.note = seen.drops_gone
                      ? fmt::format(
                            "Stopped by Ctrl+C: the {} custom loot drops of {} are deleted; the "
                            "entries of {} of them are removed, those of the other {} stay "
                            "without their lootdrop (check lists them).",
                            seen.drops, range_of(inputs), seen.cleaned, seen.drops - seen.cleaned)
                      : "Stopped by Ctrl+C before anything was deleted.";
    report.result = result();
    end_interrupted(session, ui, report);
  };

  maintenance::DeleteOutcome outcome;
  Report report;
  if (auto thrown = guarded(ui, [&] {
        outcome = maintenance::delete_custom_drops(session, range_of(inputs), progress);
      })) {
    report = failed(*thrown, seen.drops_sent);
  } else {
    seen = outcome.counts;
    if (outcome.ending != Ending::completed) {
      report = told_failure(ui, outcome.ending, outcome.message, seen.drops_sent);
    }
  }
  report.result = result();
  finish(ui, report);
  return report.end;
}

app::StepwiseEnd repair(db::Session& session, TerminalUi& ui, const ResultStyle& style) {
  maintenance::RepairCounts seen;
  const auto result = [&] {
    return result_text({{"repaired", static_cast<long long>(seen.repaired)}}, style);
  };
  ui.progress_text = [&]() -> std::string {
    if (seen.step == 0 || seen.npcs == 0) return "";
    return fmt::format("NPC {} of {} {} repaired {}", seen.step, seen.npcs,
                       bar(double(seen.step) / seen.npcs), seen.repaired);
  };
  const auto progress = [&](const maintenance::RepairCounts& counts) {
    seen = counts;
    ui.repaint();
    if (!interrupted()) return;
    Report report;
    report.note =
        fmt::format("Stopped by Ctrl+C: {} NPCs were repaired and stay so{}.", seen.repaired,
                    seen.tables > seen.repaired ? "; one loottable was written before "
                                                  "its NPC was pointed at it"
                                                : "");
    report.result = result();
    end_interrupted(session, ui, report);
  };

  Random random;
  const maintenance::RepairOutcome outcome =
      maintenance::repair_npcs(session, random, {progress, progress});
  seen = outcome.counts;
  Report report;
  if (outcome.ending != Ending::completed) {
    report = told_failure(
        ui, outcome.ending, shown(outcome.message, outcome.thrown), seen.written,
        seen.written ? fmt::format("{} NPCs were repaired before the stop.", seen.repaired) : "");
  }
  report.result = result();
  finish(ui, report);
  return report.end;
}

int stats(db::Session& session, TerminalUi& ui, Format format) {
  std::vector<std::string> ranges, words;
  for (const loot::LevelRange& range : loot::kLevelRanges) ranges.emplace_back(range.entry);
  for (const loot::LootCategory& category : loot::kLootCategories)
    words.emplace_back(category.stats_word);
  maintenance::StatsOutcome outcome;
  Report report;
  if (auto thrown = guarded(
          ui, [&] { outcome = maintenance::count_custom_drops(session, ranges, words, {}); })) {
    report = failed(*thrown, false);
  } else if (outcome.ending != Ending::completed) {
    report = told_failure(ui, outcome.ending, outcome.message, false);
  } else {
    report.result = stats_text(outcome.table, format);
  }
  return finish(ui, report);
}

int test_rules(db::Session& session, TerminalUi& ui, const loot::FixedInputs& inputs) {
  rules::RulesTest test;
  Report report;
  if (auto thrown = guarded(ui, [&] {
        test = rules::test_rules(
            session, loot::item_query_clause(loot::category_slots(inputs.category), inputs.rules));
      })) {
    report = failed(*thrown, false);
  } else if (!test.passed) {
    report = told_failure(ui, Ending::refused, test.message, false);
  } else {
    ui.message_box(test.message);
    report.result = test.message + "\n";
  }
  return finish(ui, report);
}

}  // namespace vl::cli
