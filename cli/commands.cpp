#include "cli/commands.h"

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <random>

#include <fmt/core.h>

#include "app/command_guard.h"
#include "cli/check.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/planned_run.h"
#include "cli/question.h"
#include "cli/simulate.h"
#include "core/whole_file.h"
#include "db/database.h"
#include "journal/deleted_rows.h"
#include "loot/catalog.h"
#include "loot/generation_run.h"
#include "loot/rules.h"
#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance/stats.h"

namespace vl::cli {
namespace {

// The kinds of the handlers' statements that write (see TerminalUi::succeeded).
namespace kinds {
constexpr const char* kNextDropId = "SELECT MAX";
constexpr const char* kDrop = "INSERT INTO lootdrop";
constexpr const char* kDropEntry = "INSERT INTO lootdrop_entries values";
constexpr const char* kTableEntry = "INSERT INTO loottable_entries values";
constexpr const char* kDeleteDrops = "DELETE FROM lootdrop WHERE lootdrop.name like";
constexpr const char* kDeleteTableEntries = "DELETE FROM loottable_entries WHERE lootdrop_id";
constexpr const char* kRepairDrop = "INSERT INTO LOOTDROP values";
constexpr const char* kRepairDropEntry = "INSERT INTO LOOTDROP_ENTRIES values";
constexpr const char* kRepairTable = "INSERT INTO LOOTTABLE values";
constexpr const char* kRepairTableEntry = "INSERT INTO LOOTTABLE_ENTRIES values";
constexpr const char* kRepairNpc = "UPDATE npc_types SET loottable_id";
}  // namespace kinds

enum class Ending { finished, interrupted, connection_lost };

struct Outcome {
  int exit_code = kExitDone;
  std::string result;  // standard output
  std::string note;    // standard error, after the messages
  bool last_message_is_error = false;
};

struct Plan {
  ui::Command handler;
  std::function<Outcome(Ending)> describe;
};

void emit(TerminalUi& ui, const Outcome& outcome) {
  ui.clear_progress();
  if (outcome.last_message_is_error && !ui.echoes_messages() && !ui.messages().empty()) {
    std::fprintf(stderr, "%s\n", plain_lines(ui.messages().back()).c_str());
  }
  if (!outcome.note.empty()) std::fprintf(stderr, "%s\n", outcome.note.c_str());
  std::fputs(outcome.result.c_str(), stdout);
  std::fflush(nullptr);
}

// Runs the plan in the window's command guard; a lost connection and Ctrl+C
// end the program there, after the same report.
int drive(ProgramState& state, TerminalUi& ui, const Plan& plan) {
  ui.on_interrupt = [&] {
    emit(ui, plan.describe(Ending::interrupted));
    if (ui.on_end) ui.on_end(kExitInterrupted);
    remove_unfinished_files();
    ui::end_program_now(state, kExitInterrupted);
  };
  ui::run_command(state, ui, plan.handler, [&](int) {
    const Outcome outcome = plan.describe(Ending::connection_lost);
    emit(ui, outcome);
    if (ui.on_end) ui.on_end(outcome.exit_code);
    remove_unfinished_files();
    ui::end_program_now(state, outcome.exit_code);
  });
  const Outcome outcome = plan.describe(Ending::finished);
  emit(ui, outcome);
  return outcome.exit_code;
}

// A failure: refused when nothing was written, stopped part-way otherwise.
Outcome failed(Ending ending, bool written, std::string note = "") {
  Outcome outcome;
  outcome.last_message_is_error = true;
  outcome.note = std::move(note);
  if (ending == Ending::connection_lost) {
    outcome.exit_code = written ? kExitStoppedPartWay : kExitNotConnected;
  } else {
    outcome.exit_code = written ? kExitStoppedPartWay : kExitRefused;
  }
  return outcome;
}

std::string last_message(const TerminalUi& ui) {
  return ui.messages().empty() ? std::string() : ui.messages().back();
}

std::string bar(double fraction) {
  constexpr int kWidth = 24;
  const int filled = static_cast<int>(fraction * kWidth);
  return "[" + std::string(filled, '#') + std::string(kWidth - filled, '-') + "]";
}

Plan generate_plan(TerminalUi& ui) {
  ui.stop_in_events = true;
  ui.progress_text = [](const TerminalUi& ui) -> std::string {
    if (ui.npc_total() == 0) return "";
    const double rate = ui.npc_step() / std::max(ui.seconds(), 1e-3);
    return fmt::format("NPC {} of {} {} drops {}  {:.0f} NPC/s  {:.0f} s left", ui.npc_step(),
                       ui.npc_total(), bar(double(ui.npc_step()) / ui.npc_total()),
                       ui.succeeded(kinds::kDrop), rate, (ui.npc_total() - ui.npc_step()) / rate);
  };
  auto describe = [&ui](Ending ending) {
    const int drops = ui.succeeded(kinds::kDrop), entries = ui.succeeded(kinds::kDropEntry),
              links = ui.succeeded(kinds::kTableEntry);
    const bool written = drops + entries + links > 0;
    const int walked = ui.npc_step() - (ending == Ending::interrupted ? 1 : 0);
    Outcome outcome;
    if (ending == Ending::interrupted) {
      outcome.exit_code = kExitInterrupted;
      outcome.note =
          ui.npc_total() == 0
              ? std::string("Stopped by Ctrl+C before the first NPC; nothing was written.")
              : fmt::format(
                    "Stopped by Ctrl+C before NPC {} of {}: {} custom loot drops with {} "
                    "entries were written and stay.",
                    walked + 1, ui.npc_total(), drops, entries);
    } else if (ending == Ending::finished && last_message(ui) == loot::kCompletedMessage) {
      outcome.exit_code = kExitDone;
    } else {
      outcome = failed(ending, written,
                       written ? fmt::format("Written before the stop, and staying: {} lootdrops, "
                                             "{} lootdrop entries, {} loottable entries.",
                                             drops, entries, links)
                               : "");
    }
    outcome.result = fmt::format("npcs={} walked={} chosen={} drops={} entries={} seconds={:.2f}\n",
                                 ui.npc_total(), std::max(walked, 0), ui.sent(kinds::kNextDropId),
                                 drops, entries, ui.seconds());
    return outcome;
  };
  return {loot::Command2_Click, describe};
}

Plan delete_plan(ProgramState& state, TerminalUi& ui) {
  ui.stop_after_statement = true;
  ui.progress_text = [&state](const TerminalUi& ui) -> std::string {
    if (!ui.succeeded(kinds::kDeleteDrops) || state.record_count <= 0) return "";
    const int cleaned = ui.succeeded(kinds::kDeleteTableEntries);
    return fmt::format("entries of drop {} of {} removed {}", cleaned, state.record_count,
                       bar(double(cleaned) / state.record_count));
  };
  auto describe = [&state, &ui](Ending ending) {
    const bool deleted = ui.succeeded(kinds::kDeleteDrops) > 0;
    const int drops = deleted ? state.record_count : 0;
    const int cleaned = ui.succeeded(kinds::kDeleteTableEntries);
    const std::string range = state.level_low + "-" + state.level_high;
    Outcome outcome;
    if (ending == Ending::interrupted) {
      outcome.exit_code = kExitInterrupted;
      outcome.note = deleted
                         ? fmt::format(
                               "Stopped by Ctrl+C: the {} custom loot drops of {} are deleted; the "
                               "entries of {} of them are removed, those of the other {} stay "
                               "without their lootdrop (check lists them).",
                               drops, range, cleaned, drops - cleaned)
                         : "Stopped by Ctrl+C before anything was deleted.";
    } else if (ending != Ending::finished || !ui.messages().empty()) {
      outcome = failed(ending, ui.sent(kinds::kDeleteDrops) > 0);
    }
    outcome.result = fmt::format("deleted={}\n", drops);
    return outcome;
  };
  return {maintenance::Command1_Click, describe};
}

Plan repair_plan(ProgramState& state, TerminalUi& ui) {
  ui.stop_after_statement = true;
  ui.progress_text = [&state](const TerminalUi& ui) -> std::string {
    int step = 0, total = 0;
    const std::string& caption = state.form1.button(Form1Control::Command4).caption;
    if (std::sscanf(caption.c_str(), "WORKING: %d/%d", &step, &total) != 2 || total == 0) return "";
    return fmt::format("NPC {} of {} {} repaired {}", step, total, bar(double(step) / total),
                       ui.succeeded(kinds::kRepairNpc));
  };
  auto describe = [&ui](Ending ending) {
    const int repaired = ui.succeeded(kinds::kRepairNpc);
    const int tables = ui.succeeded(kinds::kRepairTable);
    const bool written = ui.succeeded(kinds::kRepairDrop) + ui.succeeded(kinds::kRepairDropEntry) +
                             tables + ui.succeeded(kinds::kRepairTableEntry) + repaired >
                         0;
    Outcome outcome;
    if (ending == Ending::interrupted) {
      outcome.exit_code = kExitInterrupted;
      outcome.note =
          fmt::format("Stopped by Ctrl+C: {} NPCs were repaired and stay so{}.", repaired,
                      tables > repaired ? "; one loottable was written before its NPC "
                                          "was pointed at it"
                                        : "");
    } else if (ending != Ending::finished || !ui.messages().empty()) {
      outcome =
          failed(ending, written,
                 written ? fmt::format("{} NPCs were repaired before the stop.", repaired) : "");
    }
    outcome.result = fmt::format("repaired={}\n", repaired);
    return outcome;
  };
  return {maintenance::Command4_Click, describe};
}

Plan stats_plan(ProgramState& state, TerminalUi& ui, Format format) {
  return {maintenance::Command3_Click, [&state, &ui, format](Ending ending) {
            if (ending != Ending::finished || !ui.messages().empty()) return failed(ending, false);
            Outcome outcome;
            outcome.result =
                stats_text(stats_table(state.form1, state.stats_category_words), format);
            return outcome;
          }};
}

// The rules window's Test Query button, its box holding the rules already.
class NoRulesWindow : public rules::RulesControls {
 public:
  std::string r_text() const override { return ""; }
  void set_r_text(const std::string&) override {}
  void set_Command3_caption(const std::string&) override {}
  void unload() override {}
};

Plan test_rules_plan(TerminalUi& ui) {
  auto test = [](ProgramState& state, UiPort& port) {
    NoRulesWindow window;
    rules::Command3_Click(state, port, window);
  };
  return {test, [&ui](Ending ending) {
            const std::string message = last_message(ui);
            if (ending != Ending::finished || !message.starts_with("Query Passed:")) {
              return failed(ending, false);
            }
            Outcome outcome;
            outcome.result = message + "\n";
            return outcome;
          }};
}

Plan check_plan(TerminalUi& ui, Format format, CheckReport& report) {
  return {[&report](ProgramState& state, UiPort&) { report = check_world(state); },
          [&ui, &report, format](Ending ending) {
            if (ending != Ending::finished || !ui.messages().empty()) return failed(ending, false);
            Outcome outcome;
            outcome.exit_code = report.clean() ? kExitDone : kExitRefused;
            outcome.result = check_text(report, format);
            return outcome;
          }};
}

// Read-only: the drop rates of the chosen NPCs, and kills rolled beside them.
Plan simulate_plan(const Invocation& run, std::uint64_t seed,
                   std::optional<Simulation>& simulation) {
  auto read = [&run, seed, &simulation](ProgramState& state, UiPort& port) {
    simulation = simulate_world(state, port, run, seed);
  };
  return {read, [&run, &simulation](Ending ending) {
            if (ending != Ending::finished || !simulation) return failed(ending, false);
            // Written as it goes: a large world's figures never stand whole in memory as text.
            write_simulation(std::cout, *simulation, run.format);
            Outcome outcome;
            outcome.note = simulation_notes(*simulation, run.format);
            if (!outcome.note.empty()) outcome.note.pop_back();  // emit ends it
            return outcome;
          }};
}

// The number of rows a confirmation names, on a connection of its own.
Plan count_plan(const std::string& sql, std::optional<long long>& count) {
  auto query = [sql, &count](ProgramState& state, UiPort&) {
    db::open_database(state);
    state.current_sql = sql;
    db::open_recordset(state);
    count = std::stoll(state.db_recordset->field(std::size_t{0}).text());
    state.db_recordset->close();
    state.db_connection->close();
  };
  return {query, [&count](Ending ending) {
            return count ? Outcome{} : failed(ending, false, "Nothing was changed.");
          }};
}

// Asks before delete and repair unless --yes: the count first, then the question.
std::optional<int> confirmation(ProgramState& state, TerminalUi& ui, const Invocation& run) {
  if (run.yes) return std::nullopt;
  const bool deleting = run.command == CommandName::delete_drops;
  const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
  std::optional<long long> count;
  const int code =
      drive(state, ui,
            count_plan(deleting ? "SELECT COUNT(id) FROM lootdrop WHERE lootdrop.name like 'lvl_" +
                                      range + "%'"
                                : "SELECT COUNT(id) FROM npc_types WHERE loottable_id=0",
                       count));
  if (code != kExitDone) return code;
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
// remove, read before its statements. Returns the exit code when it cannot.
std::optional<int> begin_journal(ProgramState& state, RunJournal* journal, const Invocation& run,
                                 std::optional<std::uint64_t> seed = std::nullopt) {
  if (!journal) return std::nullopt;
  const char* command = run.command == CommandName::generate       ? "generate"
                        : run.command == CommandName::delete_drops ? "delete"
                                                                   : "repair";
  try {
    journal->begin(state, command, run_settings(state, run, seed));
    if (run.command == CommandName::delete_drops) {
      const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
      const auto connection = connect_or_say(state);
      if (!connection) return kExitNotConnected;
      journal->record(journal::rows_to_delete(*connection, "lvl_" + range + "%"));
    }
  } catch (const journal::JournalError& error) {
    std::fprintf(stderr,
                 "vandril_loot_cli: the journal could not be written (%s); nothing was "
                 "written. Give --no-journal to write without one.\n",
                 error.what());
    return kExitRefused;
  } catch (const db::Error& error) {
    std::fprintf(
        stderr, "%s\nNothing was written.\n",
        plain_lines(db::statement_failed_message(error, "(reading the rows to delete)")).c_str());
    return kExitRefused;
  }
  return std::nullopt;
}

int generate(ProgramState& state, TerminalUi& ui, const Invocation& run, RunJournal* journal) {
  const std::uint64_t seed = seed_of(run);
  if (!run.dry_run)
    if (auto refused = begin_journal(state, journal, run, seed)) return *refused;
  if (run.dry_run || run.atomic) return run_planned(state, ui, run, seed);
  std::unique_ptr<WindowRunReport> report;
  if (run.report) {
    auto prepared = prepare_window_report(state, run, seed);
    if (auto* code = std::get_if<int>(&prepared)) return *code;
    report = std::move(std::get<std::unique_ptr<WindowRunReport>>(prepared));
  }
  state.random.pin_seed(seed);
  const int code = drive(state, ui, generate_plan(ui));
  if (!report) return code;
  // The journal's run ends with the run, whatever becomes of the report.
  if (ui.on_end) ui.on_end(code);
  return finish_window_report(state, *report, run) || code != kExitDone ? code
                                                                        : kExitStoppedPartWay;
}

int run_journaled(ProgramState& state, TerminalUi& ui, const Invocation& run, RunJournal* journal) {
  switch (run.command) {
    case CommandName::generate:
      return generate(state, ui, run, journal);
    case CommandName::delete_drops:
      if (auto declined = confirmation(state, ui, run)) return *declined;
      if (auto refused = begin_journal(state, journal, run)) return *refused;
      return drive(state, ui, delete_plan(state, ui));
    default:
      if (auto declined = confirmation(state, ui, run)) return *declined;
      if (auto refused = begin_journal(state, journal, run)) return *refused;
      return drive(state, ui, repair_plan(state, ui));
  }
}

}  // namespace

int run_command_line(ProgramState& state, TerminalUi& ui, const Invocation& run,
                     RunJournal* journal) {
  CheckReport report;
  const bool writes = run.command == CommandName::generate ||
                      run.command == CommandName::delete_drops ||
                      run.command == CommandName::repair;
  end_at_once_on_interrupt(!writes);
  if (writes) {
    // Called where Ctrl+C or a server out of reach ends the program.
    if (journal)
      ui.on_end = [journal, &run](int code) {
        journal->end(code, run.atomic, code != kExitInterrupted);
      };
    const int code = run_journaled(state, ui, run, journal);
    if (journal) journal->end(code, run.atomic);
    return code;
  }
  switch (run.command) {
    case CommandName::stats:
      return drive(state, ui, stats_plan(state, ui, run.format));
    case CommandName::test_rules:
      return drive(state, ui, test_rules_plan(ui));
    case CommandName::check:
      return drive(state, ui, check_plan(ui, run.format, report));
    case CommandName::simulate: {
      const std::uint64_t seed = run.kills ? seed_of(run) : 0;
      std::optional<Simulation> simulation;
      return drive(state, ui, simulate_plan(run, seed, simulation));
    }
    default:
      break;
  }
  return kExitUsage;
}

}  // namespace vl::cli
