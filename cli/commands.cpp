#include "cli/commands.h"

#include <cstdio>
#include <iostream>
#include <variant>

#include "app/dry_run_text.h"
#include "app/simulation_aim_text.h"
#include "app/simulation_text.h"
#include "cli/command_reports.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/planned_run.h"
#include "cli/question.h"
#include "cli/settings.h"
#include "core/random.h"
#include "db/database.h"
#include "loot/catalog.h"
#include "maintenance/world_check.h"

namespace vl::cli {
namespace {

// Read-only: the drop rates of the chosen NPCs, and kills rolled beside them.
int simulate(db::Session& session, TerminalUi& ui, const Invocation& run, std::uint64_t seed) {
  loot::SimulationRead read;
  const app::ReadEnd end =
      app::simulate(session,
                    {run.npc_ids, run.simulate_low, run.simulate_high, run.loot_multiplier,
                     run.kills, run.per_hour, run.level_to.has_value()},
                    seed, message_box_of(ui), read);
  if (end.failed) return finish(ui, failed(end.ending, false));
  const loot::Simulation& simulation = *read.simulation;
  Report report;
  if (run.level_to) {
    const loot::SimulationAim aim = loot::aim_simulation(
        simulation, *run.level_to, *app::value_in_range(app::kItems, run.items),
        *app::value_in_range(app::kChance, run.chance));
    app::write_simulation_aim(std::cout, simulation, aim, run.format, run.summary);
    report.note = app::simulation_aim_notes(simulation, aim, run.format, run.summary);
  } else {
    // Written as it goes: a large world's figures never stand whole in memory as text.
    app::write_simulation(std::cout, simulation, run.format, run.summary, run.by_item);
    report.note = app::simulation_notes(simulation, run.format);
  }
  if (!report.note.empty()) report.note.pop_back();  // finish ends it
  return finish(ui, report);
}

std::string range_of(const Invocation& run) {
  return std::string(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
}

// Asks before delete and repair unless --yes: the count first, then the question.
std::optional<int> confirmation(db::Session& session, TerminalUi& ui, const Invocation& run) {
  if (run.yes) return std::nullopt;
  std::string question;
  const app::ReadEnd end = app::guarded(message_box_of(ui), [&] {
    question = app::stepwise_question(session, write_command_of(run), range_of(run));
  });
  if (end.failed) return finish(ui, failed(end.ending, false, "Nothing was changed."));
  if (answered_yes(question)) return std::nullopt;
  std::fprintf(stderr, "Nothing was changed.\n");
  return kExitRefused;
}

// delete --dry-run and repair --dry-run: what they would remove or change.
int preview_maintenance(db::Session& session, TerminalUi& ui, const Invocation& run) {
  const auto connection = observed_connection(session);
  if (!connection) return kExitNotConnected;
  std::string text;
  try {
    text = app::read_dry_run_text(*connection, write_command_of(run), range_of(run), terminal_text,
                                  run.format == Format::json);
  } catch (const db::Error& error) {
    ui.clear_progress();
    std::fprintf(stderr, "%s\n",
                 db::statement_failed_message(error, "(reading what would change)").c_str());
    return kExitRefused;
  }
  std::fputs(text.c_str(), stdout);
  return kExitDone;
}

// Every command-line run can be repeated: without --seed one is picked and shown.
std::uint64_t seed_of(const Invocation& run) {
  if (run.seed) return *run.seed;
  const std::uint64_t seed = random_seed();
  if (run.verbosity != Verbosity::quiet)
    std::fprintf(stderr, "seed=%llu\n", (unsigned long long)seed);
  return seed;
}

// Starts the journal's run of a write command; for delete, with the rows it will
// remove, read before its statements. Returns how it ended when it cannot.
std::optional<app::StepwiseEnd> begin_journal(db::Session& session, const loot::FixedInputs& inputs,
                                              RunJournal* journal, const Invocation& run,
                                              std::optional<std::uint64_t> seed = std::nullopt) {
  if (!journal) return std::nullopt;
  const auto not_begun = app::begin_stepwise_run(*journal, session, write_command_of(run),
                                                 run_settings(inputs, run, seed), range_of(run),
                                                 [&session] { return connect_or_say(session); });
  if (!not_begun) return std::nullopt;
  if (not_begun->journal_refused) say_journal_refused(not_begun->journal_refused->c_str());
  if (!not_begun->message.empty()) std::fprintf(stderr, "%s\n", not_begun->message.c_str());
  return app::StepwiseEnd{.ending = not_begun->ending};
}

// Ends the journal's run (when there is one) and gives the exit code, both
// from how the run ended.
int ended(RunJournal* journal, const app::StepwiseEnd& end) {
  if (journal) journal->end(app::run_ending(end));
  return exit_code_of(end);
}

ResultStyle style_of(const Invocation& run, const RunJournal* journal,
                     std::optional<std::uint64_t> seed = std::nullopt) {
  return write_result_style(
      run.format, journal ? std::optional<std::int64_t>(journal->run_id()) : std::nullopt, seed);
}

int generate(db::Session& session, TerminalUi& ui, loot::FixedInputs& inputs, const Invocation& run,
             RunJournal* journal) {
  const std::uint64_t seed = seed_of(run);
  if (!window_way_chosen(run)) return run_planned(session, inputs, run, seed, journal);
  if (!run.yes)
    if (auto declined = confirm_generate(session, inputs, seed)) return *declined;
  if (auto refused = begin_journal(session, inputs, journal, run, seed))
    return ended(journal, *refused);
  const ResultStyle style = style_of(run, journal, seed);
  std::unique_ptr<WindowRunReport> report;
  if (run.report) {
    auto prepared = prepare_window_report(session, inputs, run, seed);
    if (auto* code = std::get_if<int>(&prepared)) {
      // The report's planning tells its refusals (nothing written) as exit codes.
      ended(journal,
            {.ending = *code == kExitNotConnected ? Ending::connection_lost : Ending::refused});
      return *code;
    }
    report = std::move(std::get<std::unique_ptr<WindowRunReport>>(prepared));
  }
  Random random;
  random.pin_seed(seed);
  const app::StepwiseEnd end = report_stepwise(session, ui, style, [&](const auto& shell) {
    return app::generate_window_way(session, inputs, random, shell);
  });
  // The journal's run ends with the run, whatever becomes of the report.
  const int code = ended(journal, end);
  if (!report || end.ending == Ending::connection_lost) return code;
  return finish_window_report(session, *report, run) || code != kExitDone ? code
                                                                          : kExitStoppedPartWay;
}

int run_journaled(db::Session& session, TerminalUi& ui, loot::FixedInputs& inputs,
                  const Invocation& run, RunJournal* journal) {
  if (run.command == CommandName::generate) return generate(session, ui, inputs, run, journal);
  if (run.command == CommandName::apply) return apply_plan(session, run, journal);
  if (auto declined = confirmation(session, ui, run)) return *declined;
  if (auto refused = begin_journal(session, inputs, journal, run)) return ended(journal, *refused);
  const ResultStyle style = style_of(run, journal);
  return ended(journal, report_stepwise(session, ui, style, [&](const auto& shell) {
                 return run.command == CommandName::delete_drops
                            ? app::delete_range_drops(session, inputs.low + "-" + inputs.high,
                                                      shell)
                            : app::repair_lootless_npcs(session, shell);
               }));
}

}  // namespace

int run_command_line(db::Session& session, TerminalUi& ui, loot::FixedInputs& inputs,
                     const Invocation& run, RunJournal* journal) {
  const bool maintenance =
      run.command == CommandName::delete_drops || run.command == CommandName::repair;
  const bool writes =
      !(maintenance && run.dry_run) &&
      (maintenance || run.command == CommandName::generate || run.command == CommandName::apply);
  end_at_once_on_interrupt(!writes);
  if (writes) {
    // Called where Ctrl+C or a server out of reach ends the command.
    if (journal)
      ui.on_end = [journal](const app::StepwiseEnd& end) { journal->end(app::run_ending(end)); };
    return run_journaled(session, ui, inputs, run, journal);
  }
  switch (run.command) {
    case CommandName::stats: {
      maintenance::StatsTable table;
      return finish_read(ui, app::count_drops(session, message_box_of(ui), table),
                         [&] { return stats_text(table, run.format); });
    }
    case CommandName::test_rules: {
      std::string message;
      return finish_read(ui, app::test_category_rules(session, inputs, message_box_of(ui), message),
                         [&] { return message + "\n"; });
    }
    case CommandName::check: {
      maintenance::CheckReport checked;
      return finish_read(ui, app::check_world(session, message_box_of(ui), checked),
                         [&] { return check_text(checked, run.format); });
    }
    case CommandName::delete_drops:
    case CommandName::repair:
      return preview_maintenance(session, ui, run);
    case CommandName::simulate:
      return simulate(session, ui, run, run.kills ? seed_of(run) : 0);
    default:
      break;
  }
  return kExitUsage;
}

}  // namespace vl::cli
