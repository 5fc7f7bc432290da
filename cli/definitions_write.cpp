// The commands that write: generate, delete, repair and apply.

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

CLI::Option* add_number(CLI::App& command, std::string& text, const NumberRange& range,
                        const std::string& what) {
  return command
      .add_option(range.option, text, what + ", " + range_words(range) + "; default " + text)
      ->type_name("N");
}

// The aims: each drop's probability (and, where that cannot reach the aim, its
// chance) solved by the program, so neither goes with --probability, with
// the other aim, or with the window's way, which writes one probability for all.
void add_aims(CLI::App& generate, OptionTexts& texts, CLI::Option* npc_percent,
              CLI::Option* probability) {
  auto* target_rate =
      generate
          .add_option("--target-rate", texts.target_rate,
                      "aim: each new drop gives an item on PCT % of kills (0 < PCT <= 100, "
                      "decimals allowed); its probability is solved")
          ->type_name("PCT")
          ->excludes(probability);
  generate
      .add_option("--level-to", texts.level_to,
                  "aim: every NPC of the range (one per loottable) gives something on at least "
                  "PCT % of kills; those below get a drop that lifts them to it")
      ->type_name("PCT")
      ->excludes(probability)
      ->excludes(target_rate)
      ->excludes(npc_percent);
  generate
      .add_option("--aim-per-hour", texts.aim_per_hour,
                  "aim: the run's new drops together bring N items per hour (decimals allowed), "
                  "by one probability for all solved from the spawn tables")
      ->type_name("N")
      ->excludes(probability)
      ->excludes(target_rate)
      ->excludes("--level-to");
  generate
      .add_option("--loot-multiplier", texts.aim_multiplier,
                  "with an aim: the server's global loot multiplier, 1 to 100; default 1")
      ->type_name("G");
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
  auto* npc_percent =
      add_number(*generate, run.npc_percent, kNpcPercent, "percent of NPCs that get a drop");
  add_number(*generate, run.chance, kChance, "chance of each item in the drop");
  auto* probability =
      add_number(*generate, run.probability, kProbability, "loottable probability of the drop");
  add_number(*generate, run.items, kItems, "items per drop");
  add_aims(*generate, texts, npc_percent, probability);
  generate->add_option("--seed", texts.seed, "seed of every random choice, 0 to 2^64-1")
      ->type_name("N");
  auto* dry_run = generate->add_flag("--dry-run", run.dry_run, "plan the run, write nothing");
  auto* atomic = generate->add_flag("--atomic", run.atomic,
                                    "write in one transaction, all or nothing (the default)");
  atomic->excludes(dry_run);
  generate
      ->add_flag("--window-way", run.window_way,
                 "write as the window's Execute does: statement by statement, what was written "
                 "before a failure stays")
      ->excludes(atomic)
      ->excludes(dry_run)
      ->excludes("--target-rate")
      ->excludes("--level-to")
      ->excludes("--aim-per-hour");
  generate->add_flag("--yes", run.yes, "ask nothing, show no summary (needed without a terminal)");
  generate->add_option("--sql", run.sql, "with --dry-run: the plan as a script for mariadb")
      ->type_name("FILE")
      ->needs(dry_run);
  generate
      ->add_option("--plan", run.plan,
                   "with --dry-run: the plan as FILE.json, for apply (with --isolate-shared, "
                   "its loottable copies too)")
      ->type_name("FILE")
      ->needs(dry_run);
  generate->add_option("--report", run.report, "a report of the drops, FILE.csv or FILE.json")
      ->type_name("FILE");
  generate->add_flag("--isolate-shared", run.isolate_shared,
                     "copy each loottable that NPCs outside the range share, for the range's "
                     "NPCs alone (not the window's way)");
  add_format_option(*generate, texts.format, {"table", "json"});
  generate->footer(help_footer(
      "Writes all or nothing unless --window-way. On a terminal it first shows the plan's\n"
      "summary and asks \"Write N drops with M entries? [y/N]\"; --yes asks nothing.\n"
      "Decimals are taken as the window takes them: percentages rounded down, items\n"
      "per drop to the nearest. Without --seed a seed is picked and shown as seed=N.",
      {"generate --levels 01-10",
       "generate --levels 21-30 --category \"Drinks/Ales\" --items 2 --chance 25",
       "generate --levels 51-60 --rules \"reqlevel<=55\"",
       "generate --levels 01-10 --window-way --yes",
       "generate --levels 01-10 --seed 7 --dry-run --sql plan.sql",
       "generate --levels 01-10 --seed 7 --dry-run --plan plan.json",
       "generate --levels 01-10 --seed 7 --yes --report drops.csv",
       "generate --levels 11-20 --yes --isolate-shared",
       "generate --levels 01-10 --target-rate 5 --dry-run",
       "generate --levels 01-10 --level-to 30 --yes",
       "generate --levels 01-10 --aim-per-hour 120 --yes",
       "generate --levels 01-10 --dry-run --format json > plan.json",
       "cut -f1 ids.txt | vandril_loot_cli generate --levels 61-99 --list - --yes"},
      {kDone,
       {kExitRefused,
        "nothing was written: no items to draw from, an unwritable --sql or --report\n"
        "file, a journal that cannot be opened, the question answered no; a table\n"
        "layout the atomic writer cannot use, or a statement the server rejected\n"
        "(rolled back); an --aim-per-hour the range's spawns cannot reach, or a world\n"
        "without spawn tables"},
       {kExitNotConnected,
        "db.ini invalid, the server unreachable or the login refused; nothing was\n"
        "written (all or nothing: also the server lost before COMMIT)"},
       {kExitStoppedPartWay,
        "stopped part-way with drops written: the message says what stays; or the\n"
        "--report file could not be written after the run"},
       {kExitCommitUnknown, "all or nothing: the server lost during COMMIT, unknown which"},
       {kExitUsage,
        "a malformed or out-of-range value, an unknown category or range, an\n"
        "unreadable --list file, --rules with --list, --sql or --plan without\n"
        "--dry-run, --atomic with --window-way, no terminal to ask on and no --yes;\n"
        "an aim out of range, with --probability, with another aim or --window-way,\n"
        "--npc-percent with --level-to, --loot-multiplier without an aim"},
       kInterrupted}));
  return generate;
}

CLI::App* define_delete(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* remove = app.add_subcommand("delete", "deletes the custom loot drops of a level range");
  remove->add_option("--levels", texts.levels, "level range: " + level_entries())
      ->required()
      ->type_name("LL-HH");
  remove->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  remove->add_flag("--dry-run", run.dry_run, "tell what would be removed, remove nothing");
  add_format_option(*remove, texts.format, {"table", "json"});
  remove->footer(help_footer(
      "Removes every lootdrop whose name matches lvl_LL-HH% ('_' matching any character),\n"
      "custom or not, with its lootdrop entries and loottable entries. --dry-run lists\n"
      "first the matching names that do not end in _CUSTOM_<category word>.",
      {"delete --levels 01-10 --dry-run", "delete --levels 01-10",
       "--quiet delete --levels 01-10 --yes"},
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
  repair->add_flag("--dry-run", run.dry_run, "tell what would be changed, change nothing");
  add_format_option(*repair, texts.format, {"table", "json"});
  repair->footer(help_footer(
      "", {"repair --dry-run", "repair --yes"},
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

CLI::App* define_apply(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* apply = app.add_subcommand(
      "apply", "writes a plan saved by generate --dry-run --plan, all or nothing");
  apply->add_option("FILE", run.plan, "the plan file (FILE.json)")->required();
  apply->add_flag("--yes", run.yes, "ask nothing, show no summary (needed without a terminal)");
  add_format_option(*apply, texts.format, {"table", "json"});
  apply->footer(help_footer(
      "The plan is written only while the world still fits it: the same highest lootdrop\n"
      "id, the same loottables for its NPCs, and its items still there. A plan made with\n"
      "--isolate-shared carries its loottable copies; it also needs the same highest\n"
      "loottable id, the same NPCs of the range on each original, and the same chosen\n"
      "loottables shared with NPCs outside the range. Otherwise it says what changed and\n"
      "writes nothing (exit 1); under its turn it checks all of that again, holding the\n"
      "rows until COMMIT. A plan generate would not make from its settings (levels not\n"
      "in the level list, another drop name, items of another category or off its list,\n"
      "NPCs outside the range, numbers out of their options' ranges, an item twice in a\n"
      "drop, two drops in one loottable) is refused with each reason (exit 1).",
      {"generate --levels 01-10 --dry-run --plan plan.json", "apply plan.json",
       "generate --levels 11-20 --dry-run --isolate-shared --plan plan.json"},
      {kDone,
       {kExitRefused,
        "nothing was written: the plan file unreadable, the world changed since the plan,\n"
        "the question answered no, a table layout the atomic writer cannot use, or a\n"
        "statement the server rejected (rolled back)"},
       {kExitNotConnected,
        "db.ini invalid, the server unreachable or the login refused, or the server lost\n"
        "before COMMIT; nothing was written"},
       {kExitCommitUnknown, "the server lost during COMMIT: all or nothing, unknown which"},
       {kExitUsage, "no terminal to ask on and no --yes"},
       kInterrupted}));
  return apply;
}

}  // namespace

std::vector<DefinedCommand> define_write_commands(CLI::App& app, Invocation& run,
                                                  OptionTexts& texts) {
  return {{CommandName::generate, define_generate(app, run, texts)},
          {CommandName::delete_drops, define_delete(app, run, texts)},
          {CommandName::repair, define_repair(app, run, texts)},
          {CommandName::apply, define_apply(app, run, texts)}};
}

}  // namespace vl::cli
