// The commands that write: generate, delete and repair.

#include "cli/command_definitions.h"
#include "cli/exit_codes.h"
#include "cli/option_values.h"

namespace vl::cli {
namespace {

constexpr ExitCase kDone{kExitDone, "done"};
constexpr ExitCase kNotConnected{kExitNotConnected,
                                 "db.ini invalid, the server unreachable or the login refused;\n"
                                 "nothing was written"};
constexpr ExitCase kInterrupted{kExitInterrupted,
                                "stopped by Ctrl+C, SIGTERM or SIGHUP: the message says what "
                                "stays"};

void add_number(CLI::App& command, std::string& text, const NumberRange& range,
                const std::string& what) {
  command.add_option(range.option, text, what + ", " + range_words(range) + "; default " + text)
      ->type_name("N");
}

CLI::App* define_generate(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* generate =
      app.add_subcommand("generate", "what Execute does: custom loot for a level range");
  generate->add_option("--levels", texts.levels, "level range: " + level_entries())
      ->required()
      ->type_name("LL-HH");
  generate->add_option("--category", texts.category, "caption or drop-name word (default Armour)")
      ->type_name("NAME");
  auto* list = generate->add_option("--list", run.list, "file of custom item ids, - for stdin")
                   ->type_name("FILE");
  generate->add_option("--rules", run.rules, "item conditions, as the Rules window")
      ->type_name("TEXT")
      ->excludes(list);
  add_number(*generate, run.npc_percent, kNpcPercent, "percent of NPCs that get a drop");
  add_number(*generate, run.chance, kChance, "chance of each item in the drop");
  add_number(*generate, run.probability, kProbability, "loottable probability of the drop");
  add_number(*generate, run.items, kItems, "items per drop");
  generate->add_option("--seed", texts.seed, "seed of every random choice, 0 to 2^64-1")
      ->type_name("N");
  auto* dry_run = generate->add_flag("--dry-run", run.dry_run, "plan the run, write nothing");
  generate->add_flag("--atomic", run.atomic, "write the plan in one transaction, all or nothing")
      ->excludes(dry_run);
  generate->add_option("--sql", run.sql, "with --dry-run: the plan as a script for mariadb")
      ->type_name("FILE")
      ->needs(dry_run);
  generate->add_option("--report", run.report, "a report of the drops, FILE.csv or FILE.json")
      ->type_name("FILE");
  generate->add_flag("--isolate-shared", run.isolate_shared,
                     "copy each loottable that NPCs outside the range share, for the range's "
                     "NPCs alone (not the window's way)");
  add_format_option(*generate, texts.format, {"table", "json"});
  generate->footer(
      help_footer("Decimals are taken as the window takes them: percentages rounded down, items\n"
                  "per drop to the nearest. Without --seed a seed is picked and shown as seed=N.",
                  {"generate --levels 01-10",
                   "generate --levels 21-30 --category \"Drinks/Ales\" --items 2 --chance 25",
                   "generate --levels 51-60 --rules \"reqlevel<=55\"",
                   "generate --levels 01-10 --seed 7 --dry-run --sql plan.sql",
                   "generate --levels 01-10 --seed 7 --atomic --report drops.csv",
                   "generate --levels 11-20 --atomic --isolate-shared",
                   "generate --levels 01-10 --dry-run --format json > plan.json"},
                  {kDone,
                   {kExitRefused,
                    "nothing was written: no items to draw from, an unwritable --sql or --report\n"
                    "file, a journal that cannot be opened; --atomic: a table layout it cannot\n"
                    "use, or a statement the server rejected (rolled back)"},
                   {kExitNotConnected,
                    "db.ini invalid, the server unreachable or the login refused; nothing was\n"
                    "written (--atomic: also the server lost before COMMIT)"},
                   {kExitStoppedPartWay,
                    "stopped part-way with drops written: the message says what stays; or the\n"
                    "--report file could not be written after the run"},
                   {kExitCommitUnknown,
                    "--atomic: the server lost during COMMIT: all or nothing, unknown which"},
                   {kExitUsage,
                    "a malformed or out-of-range value, an unknown category or range, an\n"
                    "unreadable --list file, --rules with --list, --sql without --dry-run"},
                   kInterrupted}));
  return generate;
}

CLI::App* define_delete(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* remove = app.add_subcommand("delete", "deletes the custom loot drops of a level range");
  remove->add_option("--levels", texts.levels, "level range: " + level_entries())
      ->required()
      ->type_name("LL-HH");
  remove->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  add_format_option(*remove, texts.format, {"table", "json"});
  remove->footer(
      help_footer("", {"delete --levels 01-10", "--quiet delete --levels 01-10 --yes"},
                  {kDone,
                   {kExitRefused,
                    "nothing was deleted: the question answered no, the rows could not be read\n"
                    "for the journal, or the journal cannot be opened"},
                   kNotConnected,
                   {kExitStoppedPartWay, "stopped part-way: the message says what is gone"},
                   {kExitUsage, "an unknown range; no terminal to ask on and no --yes"},
                   kInterrupted}));
  return remove;
}

CLI::App* define_repair(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* repair = app.add_subcommand("repair", "gives NPCs without loot a loottable");
  repair->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  add_format_option(*repair, texts.format, {"table", "json"});
  repair->footer(help_footer(
      "", {"repair --yes"},
      {kDone,
       {kExitRefused,
        "nothing was repaired: the question answered no, no cloth or rusty item for\n"
        "the repair loot, or the journal cannot be opened"},
       kNotConnected,
       {kExitStoppedPartWay, "stopped part-way: the message says how many NPCs were repaired"},
       {kExitUsage, "no terminal to ask on and no --yes"},
       kInterrupted}));
  return repair;
}

}  // namespace

std::vector<DefinedCommand> define_write_commands(CLI::App& app, Invocation& run,
                                                  OptionTexts& texts) {
  return {{CommandName::generate, define_generate(app, run, texts)},
          {CommandName::delete_drops, define_delete(app, run, texts)},
          {CommandName::repair, define_repair(app, run, texts)}};
}

}  // namespace vl::cli
