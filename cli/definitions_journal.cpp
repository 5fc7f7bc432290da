// The commands of the journal: history, show and undo.

#include "cli/command_definitions.h"
#include "cli/exit_codes.h"

namespace vl::cli {
namespace {

constexpr ExitCase kNoJournal{kExitRefused,
                              "no journal where it is looked for (none is created), or it\n"
                              "cannot be read"};

CLI::App* define_history(CLI::App& app, OptionTexts& texts) {
  auto* history = app.add_subcommand("history", "the journaled runs, newest first");
  add_format_option(*history, texts.format, {"table", "json"});
  history->footer(
      help_footer("", {"history", "--journal /srv/loot/journal.sqlite3 history"},
                  {{kExitDone, "done"}, kNoJournal, {kExitUsage, "an unknown option"}}));
  return history;
}

CLI::App* define_show(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* show = app.add_subcommand("show", "a journaled run's settings and rows");
  show->add_option("RUN", run.run_id, "the run's id (see history)")->required();
  add_format_option(*show, texts.format, {"table", "json"});
  show->footer(help_footer("", {"show 12"},
                           {{kExitDone, "done"},
                            {kExitRefused, "no journal where it is looked for, or no such run"},
                            {kExitUsage, "no run id, or an unknown option"}}));
  return show;
}

CLI::App* define_undo(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* undo = app.add_subcommand("undo", "takes back what a journaled run wrote");
  undo->add_option("RUN", run.run_id, "the run's id (see history)")->required();
  undo->add_flag("--dry-run", run.dry_run, "list the statements, send none");
  undo->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  undo->add_flag("--force", run.force, "skip the rows in conflict and undo the rest");
  add_format_option(*undo, texts.format, {"table", "json"});
  undo->footer(help_footer(
      "", {"history", "undo 12 --dry-run", "undo 12 --yes"},
      {{kExitDone, "undone, or the statements listed (--dry-run)"},
       {kExitRefused,
        "nothing was changed: a conflict (without --force), the question answered\n"
        "no, a run undone already, still being written or of another database, a\n"
        "table that cannot roll back, the world changed while undo waited, no journal"},
       {kExitNotConnected, "db.ini invalid, the server unreachable or the login refused"},
       {kExitUsage, "no run id; no terminal to ask on and no --yes"},
       {kExitCommitUnknown, "the server lost during COMMIT: undone or not, unknown which"},
       {kExitInterrupted, "stopped by Ctrl+C, SIGTERM or SIGHUP: rolled back, nothing changed"}}));
  return undo;
}

}  // namespace

std::vector<DefinedCommand> define_journal_commands(CLI::App& app, Invocation& run,
                                                    OptionTexts& texts) {
  return {{CommandName::history, define_history(app, texts)},
          {CommandName::show, define_show(app, run, texts)},
          {CommandName::undo, define_undo(app, run, texts)}};
}

}  // namespace vl::cli
