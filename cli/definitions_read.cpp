// The commands that only read the world: stats, test-rules, check, categories
// and simulate.

#include <tuple>

#include "cli/command_definitions.h"
#include "cli/exit_codes.h"
#include "cli/option_values.h"

namespace vl::cli {
namespace {

constexpr ExitCase kDone{kExitDone, "done"};
constexpr ExitCase kNotConnected{kExitNotConnected,
                                 "db.ini invalid, the server unreachable or the login refused"};
constexpr ExitCase kUsage{kExitUsage, "an unknown or malformed option or value"};

CLI::App* define_stats(CLI::App& app, OptionTexts& texts) {
  auto* stats = app.add_subcommand("stats", "the custom drop counts per category and level range");
  add_format_option(*stats, texts.format, {"table", "csv", "json"});
  stats->footer(
      help_footer("", {"stats", "stats --format json"},
                  {kDone, {kExitRefused, "a count could not be read"}, kNotConnected, kUsage}));
  return stats;
}

CLI::App* define_test_rules(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* test_rules = app.add_subcommand("test-rules", "counts the items that pass the rules");
  test_rules->add_option("--category", texts.category, "caption or drop-name word (default Armour)")
      ->type_name("NAME");
  test_rules->add_option("--rules", run.rules, "item conditions")->required()->type_name("TEXT");
  test_rules->footer(help_footer("", {"test-rules --category weapon --rules \"reqlevel<=10\""},
                                 {{kExitDone, "the rules pass: the count is shown"},
                                  {kExitRefused, "the server rejected the rules"},
                                  kNotConnected,
                                  {kExitUsage, "no --rules, or an unknown category"}}));
  return test_rules;
}

CLI::App* define_check(CLI::App& app, OptionTexts& texts) {
  auto* check = app.add_subcommand("check", "a read-only report of the loot tables");
  add_format_option(*check, texts.format, {"table", "json"});
  check->footer(help_footer(
      "", {"check", "check --format json"},
      {{kExitDone, "nothing found, every layout fits"},
       {kExitRefused, "a finding, a layout that differs, or a table that could not be checked"},
       kNotConnected,
       kUsage}));
  return check;
}

CLI::App* define_categories(CLI::App& app, OptionTexts& texts) {
  auto* categories =
      app.add_subcommand("categories", "the loot categories and level ranges (no server needed)");
  add_format_option(*categories, texts.format, {"table", "json"});
  categories->footer(help_footer("", {"categories", "categories --format json"}, {kDone, kUsage}));
  return categories;
}

// --level-to and the drop it assumes: the one generate writes by default.
void add_aim_options(CLI::App& simulate, Invocation& run, OptionTexts& texts,
                     const std::vector<CLI::Option*>& other_figures) {
  auto* level_to =
      simulate
          .add_option("--level-to", texts.level_to,
                      "the probability each NPC's drop would need for the NPC to "
                      "give something on PCT % of kills, above 0 and at most 100, decimals allowed")
          ->type_name("PCT");
  for (CLI::Option* other : other_figures) level_to->excludes(other);
  for (const auto& [range, text, what] :
       {std::tuple{&kItems, &run.items, "items per drop"},
        std::tuple{&kChance, &run.chance, "chance of each item in the drop"}}) {
    simulate
        .add_option(range->option, *text,
                    std::string("with --level-to: ") + what + ", " + range_words(*range) +
                        "; default " + *text + ", as generate's")
        ->type_name("N")
        ->needs(level_to);
  }
}

CLI::App* define_simulate(CLI::App& app, Invocation& run, OptionTexts& texts) {
  auto* simulate = app.add_subcommand(
      "simulate", "what a player gets per kill of the chosen NPCs, by the server's loot rules");
  auto* simulate_range = simulate
                             ->add_option("--levels", texts.simulate_levels,
                                          "the NPCs of a level range, such as 01-10 or 0-255")
                             ->type_name("LL-HH");
  simulate->add_option("--npc", texts.npc_ids, "the NPCs of these ids, such as 12,40")
      ->type_name("ID[,ID...]")
      ->excludes(simulate_range);
  simulate
      ->add_option("--loot-multiplier", texts.loot_multiplier,
                   "the server's global loot multiplier, 1 to 100 (default 1)")
      ->type_name("G");
  auto* kill_count =
      simulate
          ->add_option("--kills", texts.kills,
                       "also roll N kills of each NPC, 1 to 10000000, and show what they gave")
          ->type_name("N");
  simulate->add_option("--seed", texts.seed, "with --kills: seed of the rolled kills, 0 to 2^64-1")
      ->type_name("S")
      ->needs(kill_count);
  auto* summary =
      simulate->add_flag("--summary", texts.summary,
                         "only the summary: NPCs, mean, lowest and highest chance per kill");
  auto* per_hour =
      simulate
          ->add_flag("--per-hour", texts.per_hour,
                     "also the spawns and items per hour from the spawn tables, every NPC killed "
                     "as it spawns")
          ->excludes(summary);
  simulate
      ->add_option("--instances", texts.instances,
                   "with --per-hour: instances of every zone, 1 to 1000 (default 1)")
      ->type_name("N")
      ->needs(per_hour);
  simulate
      ->add_flag("--with-conditional", texts.with_conditional,
                 "with --per-hour: count the spawn points that wait on a condition as met")
      ->needs(per_hour);
  simulate
      ->add_flag(
          "--by-item", texts.by_item,
          "with --per-hour: the items per hour one by one, largest first, instead of the NPCs")
      ->needs(per_hour);
  add_aim_options(*simulate, run, texts, {kill_count, per_hour});
  add_format_option(*simulate, texts.format, {"table", "csv", "json"});
  simulate->footer(help_footer(
      "For each NPC: the chance that a kill gives at least one item, and the copies of each\n"
      "item a kill gives on average, computed exactly from the loot tables (no sampling).\n"
      "A lootdrop entry's chance is not the chance per kill: the loottable entry's probability,\n"
      "droplimit and multipliers decide how often the lootdrop is rolled and how many items it\n"
      "gives. Coins, scripts, global loot and the killer's level are left out (the output says "
      "so).\n"
      "--per-hour adds what each NPC's spawns bring an hour (an upper bound: every NPC dies as\n"
      "it spawns) and the range's total; it needs the spawn tables.\n"
      "With --level-to PCT: per NPC, the loottable probability a new drop of --items items at\n"
      "--chance would need for the NPC to give something on PCT % of kills, its chance raised\n"
      "where probability 100 falls short; nothing is written.",
      {"simulate --levels 01-10", "simulate --npc 1042,1043 --format json",
       "simulate --npc 1042 --kills 100000 --seed 7",
       "simulate --levels 51-60 --loot-multiplier 2 --format csv > rates.csv",
       "simulate --levels 01-10 --per-hour --by-item",
       "simulate --levels 01-10 --level-to 30 --items 2 --chance 25"},
      {kDone,
       {kExitRefused, "a query failed; with --per-hour, a spawn table is missing"},
       kNotConnected,
       {kExitUsage,
        "a malformed range or id list, --loot-multiplier not from 1 to 100,\n"
        "--kills not from 1 to 10000000, --instances not from 1 to 1000,\n"
        "--level-to not above 0 and at most 100"}}));
  return simulate;
}

}  // namespace

std::vector<DefinedCommand> define_read_commands(CLI::App& app, Invocation& run,
                                                 OptionTexts& texts) {
  return {{CommandName::stats, define_stats(app, texts)},
          {CommandName::test_rules, define_test_rules(app, run, texts)},
          {CommandName::check, define_check(app, texts)},
          {CommandName::categories, define_categories(app, texts)},
          {CommandName::simulate, define_simulate(app, run, texts)}};
}

}  // namespace vl::cli
