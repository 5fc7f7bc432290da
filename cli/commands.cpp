#include "cli/commands.h"

#include <cstdio>
#include <iostream>
#include <random>
#include <variant>

#include <fmt/core.h>

#include "cli/apply.h"
#include "cli/command_reports.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/maintenance_preview.h"
#include "cli/output.h"
#include "cli/planned_run.h"
#include "cli/question.h"
#include "cli/simulate_output.h"
#include "db/database.h"
#include "journal/deleted_rows.h"
#include "loot/catalog.h"
#include "maintenance/drop_removal.h"
#include "maintenance/dry_runs.h"
#include "maintenance/world_check.h"

namespace vl::cli {
namespace {

int check(db::Session& session, TerminalUi& ui, Format format) {
  maintenance::CheckReport checked;
  Report report;
  if (auto thrown = guarded(ui, [&] { checked = maintenance::check_world(session); })) {
    report = failed(*thrown, false);
  } else {
    if (!checked.clean()) report.end.ending = Ending::refused;
    report.result = check_text(checked, format);
  }
  return finish(ui, report);
}

// Read-only: the drop rates of the chosen NPCs, and kills rolled beside them.
int simulate(db::Session& session, TerminalUi& ui, const Invocation& run, std::uint64_t seed) {
  loot::SimulationRead read;
  auto thrown = guarded(ui, [&] {
    read = loot::simulate_world(session, simulation_request(run), seed);
    if (!read.simulation) ui.message_box(read.failure);
  });
  if (thrown || !read.simulation)
    return finish(ui, failed(thrown.value_or(Ending::refused), false));
  const loot::Simulation& simulation = *read.simulation;
  // Written as it goes: a large world's figures never stand whole in memory as text.
  write_simulation(std::cout, simulation, run.format, run.summary);
  Report report;
  report.note = simulation_notes(simulation, run.format);
  if (!report.note.empty()) report.note.pop_back();  // finish ends it
  return finish(ui, report);
}

// The number of rows a confirmation names, on a connection of its own.
std::optional<long long> count_rows(db::Session& session, TerminalUi& ui, bool deleting,
                                    const std::string& range, int& code) {
  std::optional<long long> count;
  auto thrown = guarded(ui, [&] {
    db::open_database(session);
    count = deleting ? maintenance::drops_to_delete(*session.db_connection, range)
                     : maintenance::npcs_to_repair(*session.db_connection);
    session.db_connection->close();
  });
  if (thrown) code = finish(ui, failed(*thrown, false, "Nothing was changed."));
  return count;
}

// Asks before delete and repair unless --yes: the count first, then the question.
std::optional<int> confirmation(db::Session& session, TerminalUi& ui, const Invocation& run) {
  if (run.yes) return std::nullopt;
  const bool deleting = run.command == CommandName::delete_drops;
  const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
  int code = kExitDone;
  const std::optional<long long> count = count_rows(session, ui, deleting, range, code);
  if (!count) return code;
  const std::string question =
      deleting ? fmt::format("Delete {} custom loot drops of {}?", *count, range)
               : fmt::format("Repair {} NPCs without loot?", *count);
  if (answered_yes(question)) return std::nullopt;
  std::fprintf(stderr, "Nothing was changed.\n");
  return kExitRefused;
}

// Every command-line run can be repeated: without --seed one is picked and shown.
std::uint64_t seed_of(const Invocation& run) {
  if (run.seed) return *run.seed;
  std::random_device device;
  const std::uint64_t seed = (std::uint64_t{device()} << 32) | device();
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
  const char* command = run.command == CommandName::generate       ? "generate"
                        : run.command == CommandName::delete_drops ? "delete"
                                                                   : "repair";
  try {
    journal->begin(session, command, run_settings(inputs, run, seed));
    if (run.command == CommandName::delete_drops) {
      const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
      const auto connection = connect_or_say(session);
      if (!connection) return app::StepwiseEnd{.ending = Ending::connection_lost};
      journal->record(journal::rows_to_delete(*connection, maintenance::removal_pattern(range)));
    }
  } catch (const journal::JournalError& error) {
    say_journal_refused(error.what());
    return app::StepwiseEnd{.ending = Ending::refused};
  } catch (const db::Error& error) {
    std::fprintf(stderr, "%s\nNothing was written.\n",
                 db::statement_failed_message(error, "(reading the rows to delete)").c_str());
    return app::StepwiseEnd{.ending = Ending::refused};
  }
  return std::nullopt;
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
  const app::StepwiseEnd end = generate_window_way(session, ui, inputs, random, style);
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
  return ended(journal, run.command == CommandName::delete_drops
                            ? delete_drops(session, ui, inputs, style)
                            : repair(session, ui, style));
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
    case CommandName::stats:
      return stats(session, ui, run.format);
    case CommandName::test_rules:
      return test_rules(session, ui, inputs);
    case CommandName::check:
      return check(session, ui, run.format);
    case CommandName::delete_drops:
    case CommandName::repair:
      return preview_maintenance(session, ui, inputs, run);
    case CommandName::simulate:
      return simulate(session, ui, run, run.kills ? seed_of(run) : 0);
    default:
      break;
  }
  return kExitUsage;
}

}  // namespace vl::cli
