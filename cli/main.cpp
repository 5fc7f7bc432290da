// vandril_loot_cli: every command of the window, for servers without a display.

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "cli/categories.h"
#include "cli/commands.h"
#include "cli/connection_settings.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/journal_commands.h"
#include "cli/options.h"
#include "cli/planned_run.h"
#include "cli/run_journal.h"
#include "cli/settings.h"
#include "cli/terminal_ui.h"

namespace {

int run_program(int argc, char** argv) {
  using namespace vl::cli;
  const ParsedArguments parsed = parse_arguments(argc, argv);
  std::fputs(parsed.out.c_str(), stdout);
  std::fputs(parsed.err.c_str(), stderr);
  if (!parsed.invocation) return parsed.exit_code;
  const Invocation& run = *parsed.invocation;
  if (run.command == CommandName::categories) {
    std::fputs(categories_text(run.format).c_str(), stdout);
    return kExitDone;
  }

  // Bad input never reaches the server: everything is checked before Form_Load.
  std::optional<std::string> list_text;
  if (run.list) {
    list_text = read_list_text(*run.list);
    if (!list_text) {
      std::fprintf(stderr, "vandril_loot_cli: --list %s cannot be read\n", run.list->c_str());
      return kExitUsage;
    }
  }
  if (run.command == CommandName::history || run.command == CommandName::show) {
    try {
      // Only read: a journal the user may not write is listed all the same.
      const auto store =
          open_journal(journal_path(run), true, vl::journal::Store::Access::read_only);
      return run.command == CommandName::history ? history_command(*store, run.format)
                                                 : show_command(*store, run.run_id, run.format);
    } catch (const vl::journal::JournalError& error) {
      std::fprintf(stderr, "vandril_loot_cli: %s: %s\n", journal_named(journal_path(run)).c_str(),
                   error.what());
      return kExitRefused;
    }
  }
  // Every command that writes asks first, unless only told what it would do.
  const bool asks =
      !run.dry_run && (run.command == CommandName::delete_drops ||
                       run.command == CommandName::repair || run.command == CommandName::generate ||
                       run.command == CommandName::apply || run.command == CommandName::undo);
  const bool on_terminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
  if (asks && !run.yes && !on_terminal) {
    std::fprintf(stderr, "vandril_loot_cli: without a terminal to ask on, give --yes\n");
    return kExitUsage;
  }
  if (auto refused = refuse_unwritable_outputs(run)) return *refused;

  // A write command writes only with its journal open (or --no-journal).
  const bool writes = asks && run.command != CommandName::undo;
  std::unique_ptr<RunJournal> run_journal;
  std::unique_ptr<vl::journal::Store> undo_store;
  if ((writes && !run.no_journal) || run.command == CommandName::undo) {
    if (run.command == CommandName::undo) {
      try {
        undo_store = open_journal(journal_path(run), true);
      } catch (const vl::journal::JournalError& error) {
        std::fprintf(stderr, "vandril_loot_cli: %s: %s\n", journal_named(journal_path(run)).c_str(),
                     error.what());
        return kExitRefused;
      }
    } else if (!(run_journal = open_run_journal(run))) {
      return kExitRefused;
    }
  }

  watch_for_interrupt();
  vl::db::Session session;
  session.brace_settings = true;
  const bool quiet = run.verbosity == Verbosity::quiet;
  TerminalUi ui(session, {.echo_messages = !quiet && run.command != CommandName::test_rules,
                          .show_progress = !quiet && isatty(STDERR_FILENO),
                          .log_statements = run.verbosity == Verbosity::verbose});

  if (auto refused = read_connection_settings(session, ui, run, vl::config_path(run.config)))
    return *refused;
  auto inputs = std::make_unique<vl::loot::FixedInputs>();
  const Applied applied = apply_settings(*inputs, ui, run, list_text);
  inputs->isolate_shared = run.isolate_shared;
  if (applied.usage_error) {
    std::fprintf(stderr, "vandril_loot_cli: %s\n", applied.usage_error->c_str());
    return kExitUsage;
  }
  if (undo_store) {
    end_at_once_on_interrupt(true);
    return undo_command(session, *undo_store, run, on_terminal);
  }
  return run_command_line(session, ui, *inputs, run, run_journal.get());
}

}  // namespace

// What a writer throws ends the command with a message, never with an abort.
int main(int argc, char** argv) {
  // A file grown past `ulimit -f` fails its write with EFBIG, which the
  // command tells, removing its temporary file; the signal would end it silently.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    return run_program(argc, argv);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "vandril_loot_cli: %s\n", error.what());
    return vl::cli::kExitRefused;
  }
}
