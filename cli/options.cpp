#include "cli/options.h"

#include <fmt/core.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <sstream>

#include "cli/connection_settings.h"
#include "cli/exit_codes.h"
#include "core/numeric_text.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

constexpr const char* kProgram = "vandril_loot_cli";
constexpr std::string_view kCommands[] = {"generate",   "stats",    "delete",     "repair",
                                          "test-rules", "check",    "history",    "show",
                                          "undo",       "simulate", "categories", "apply"};

struct UsageError {
  std::string message;
};

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string level_entries() {
  std::string list;
  for (const auto& range : loot::kLevelRanges)
    list += (list.empty() ? "" : ", ") + std::string(range.entry);
  return list;
}

std::string category_names() {
  std::string captions, other_words;
  for (const auto& category : loot::kLootCategories) {
    captions += (captions.empty() ? "\"" : ", \"") + std::string(category.caption) + "\"";
    if (lower(category.caption) != lower(category.name)) {
      other_words += ", \"" + std::string(category.name) + "\"";
    }
  }
  return captions + other_words;
}

int level_index(const std::string& entry) {
  if (auto index = find_level_range(entry)) return *index;
  throw UsageError{"--levels " + entry + " is no level range; use one of " + level_entries()};
}

int category_index(const std::string& name) {
  if (auto index = find_category(name)) return *index;
  throw UsageError{"--category \"" + name + "\" is no loot category; use one of (any case) " +
                   category_names()};
}

// A text the window's box would silently rewrite (no number at all, or an
// items count that does not fit) is refused here instead.
void check_number(const std::string& option, const std::string& text, bool items) {
  const auto number = whole_text_number(text);
  const bool fits = number && (!items || *number > 100 || to_int16(*number));
  if (!fits) throw UsageError{option + " \"" + text + "\" is not a number"};
}

// Digits only, at most ten of them: a whole number that fits any id column.
std::optional<std::int64_t> plain_whole(const std::string& text) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
    return std::nullopt;
  }
  return std::stoll(text);
}

// simulate --levels: a range of the window, or any LL-HH with LL <= HH.
void read_simulate_levels(const std::string& text, Invocation& run) {
  const auto dash = text.find('-');
  const auto low = plain_whole(text.substr(0, dash));
  const auto high = dash == std::string::npos ? std::nullopt : plain_whole(text.substr(dash + 1));
  if (!low || !high || *low > *high) {
    throw UsageError{"--levels " + text +
                     " is no level range; give LL-HH with 0 <= LL <= HH, "
                     "such as 01-10"};
  }
  // Any level above the largest int is as good as the largest int.
  constexpr std::int64_t kTop = std::numeric_limits<int>::max();
  run.simulate_low = static_cast<int>(std::min(*low, kTop));
  run.simulate_high = static_cast<int>(std::min(*high, kTop));
}

std::vector<std::int64_t> npc_id_list(const std::string& text) {
  std::vector<std::int64_t> ids;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const auto id = plain_whole(text.substr(start, end - start));
    if (!id)
      throw UsageError{"--npc " + text + " is no list of NPC ids; give ID[,ID...], such as 12,40"};
    ids.push_back(*id);
    start = end + 1;
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

long long whole_in(const std::string& option, const std::string& text, long long low,
                   long long high, const char* range) {
  const auto number = plain_whole(text);
  if (!number || *number < low || *number > high)
    throw UsageError{option + " " + text + " is not a whole number from " + range};
  return *number;
}

// Digits only, read without the locale: "-1" would otherwise wrap around to the
// largest seed.
std::uint64_t seed_of(const std::string& text) {
  std::uint64_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seed);
  if (error != std::errc() || stop != end)
    throw UsageError{"--seed " + text + " is not a whole number from 0 to 2^64-1"};
  return seed;
}

Format format_of(const std::string& name) {
  if (name == "csv") return Format::csv;
  if (name == "json") return Format::json;
  return Format::table;
}

}  // namespace

std::optional<int> find_category(const std::string& name) {
  const std::string wanted = lower(name);
  for (int i = 0; i < loot::kLootCategoryCount; ++i) {
    const auto& category = loot::kLootCategories[static_cast<std::size_t>(i)];
    if (wanted == lower(category.caption) || wanted == lower(category.name)) return i;
  }
  return std::nullopt;
}

std::optional<int> find_level_range(const std::string& entry) {
  for (int i = 0; i < loot::kLevelRangeCount; ++i) {
    if (loot::kLevelRanges[static_cast<std::size_t>(i)].entry == entry) return i;
  }
  return std::nullopt;
}

// The first word that is no option (nor --config's value) must name a command.
std::optional<std::string> unknown_command(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--config" || arg == "--journal" || arg == "--port" || arg == "--ssl-ca") {
      ++i;
    } else if (!arg.starts_with("-")) {
      for (std::string_view command : kCommands) {
        if (arg == command) return std::nullopt;
      }
      return std::string(arg);
    }
  }
  return std::nullopt;
}

// Without a command: the commands, one a line, as their help describes them.
std::string usage(const CLI::App& app) {
  std::string text = std::string("Usage: ") + kProgram +
                     " [--config FILE] [--journal FILE | --no-journal] [--quiet | --verbose] "
                     "COMMAND [OPTIONS]\n\nCommands:\n";
  for (const CLI::App* command : app.get_subcommands({}))
    text += fmt::format("  {:<11} {}\n", command->get_name(), command->get_description());
  return text + "\nRun " + kProgram + " --help, or " + kProgram + " COMMAND --help, for more.\n";
}

ParsedArguments parse_arguments(int argc, const char* const* argv) {
  std::string names;
  for (std::string_view name : kCommands) names += (names.empty() ? "" : ", ") + std::string(name);
  if (auto command = unknown_command(argc, argv)) {
    return {std::nullopt, kExitUsage, "",
            std::string(kProgram) + ": " + *command + " is no command; use one of " + names + "\n"};
  }
  Invocation run;
  std::string levels, category = "Armour", format = "table", seed;
  std::string simulate_levels, npc_ids, loot_multiplier = "1", kills;

  CLI::App app{"Writes random custom loot into the game server's world database, without a window.",
               kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + VANDRIL_VERSION);
  app.require_subcommand(1);
  app.add_option("--config", run.config,
                 "db.ini to read (default: ./db.ini, then "
                 "${VANDRIL_LOOT_HOME:-${XDG_CONFIG_HOME:-~/.config}/vandril_loot}/db.ini)");
  app.add_option("--journal", run.journal,
                 "journal of the write commands (default: $VANDRIL_LOOT_JOURNAL, then "
                 "${XDG_DATA_HOME:-~/.local/share}/vandril_loot/journal.sqlite3)")
      ->excludes(app.add_flag("--no-journal", run.no_journal, "write without a journal (no undo)"));
  std::string port;
  app.add_option("--port", port,
                 "TCP port of the server, 1 to 65535 (default: db.ini's port=, else 3306)");
  app.add_option("--ssl-ca", run.ssl_ca,
                 "CA file the server's certificate is checked against; TLS required (default: "
                 "db.ini's ssl_ca=)");
  bool quiet = false, verbose = false;
  app.add_flag("--quiet", quiet, "print only errors and the result")
      ->excludes(app.add_flag("--verbose", verbose,
                              "write every statement sent, with its duration, to stderr"));
  app.footer(std::string("\n") + kDbIniHelp +
             "\nExamples:\n"
             "  vandril_loot_cli generate --levels 11-20 --category weapon --items 3\n"
             "  vandril_loot_cli --config /srv/world/db.ini stats --format csv\n"
             "  vandril_loot_cli simulate --levels 01-10\n\n" +
             kExitCodeTable);

  const std::string ranges_help = "level range: " + level_entries();
  auto* generate =
      app.add_subcommand("generate", "what Execute does: custom loot for a level range");
  generate->add_option("--levels", levels, ranges_help)->required();
  generate->add_option("--category", category, "caption or drop-name word (default Armour)");
  auto* list = generate->add_option("--list", run.list, "file of custom item ids, - for stdin");
  auto* rules = generate->add_option("--rules", run.rules, "item conditions, as the Rules window");
  list->excludes(rules);
  generate->add_option("--npc-percent", run.npc_percent, "percent of NPCs (default 25)");
  generate->add_option("--chance", run.chance, "chance per item (default 10)");
  generate->add_option("--probability", run.probability, "loottable probability (default 50)");
  generate->add_option("--items", run.items, "items per drop, at most 100 (default 5)");
  generate->add_option("--seed", seed, "seed of every random choice, 0 to 2^64-1");
  auto* dry_run = generate->add_flag("--dry-run", run.dry_run, "plan the run, write nothing");
  auto* atomic = generate->add_flag("--atomic", run.atomic,
                                    "write in one transaction, all or nothing (the default)");
  atomic->excludes(dry_run);
  generate
      ->add_flag("--window-way", run.window_way,
                 "write as the window's Execute does: statement by statement, what was written "
                 "before a failure stays")
      ->excludes(atomic)
      ->excludes(dry_run);
  generate->add_flag("--yes", run.yes, "ask nothing, show no summary (needed without a terminal)");
  generate->add_option("--sql", run.sql, "with --dry-run: the plan as a script for mariadb")
      ->needs(dry_run);
  generate->add_option("--plan", run.plan, "with --dry-run: the plan as FILE.json, for apply")
      ->needs(dry_run);
  generate->add_option("--report", run.report, "a report of the drops, FILE.csv or FILE.json");
  generate->add_flag("--isolate-shared", run.isolate_shared,
                     "copy each loottable that NPCs outside the range share, for the range's "
                     "NPCs alone (not the window's way)");
  generate->footer(
      "\nWrites all or nothing unless --window-way. On a terminal it first shows the plan's\n"
      "summary and asks \"Write N drops with M entries? [y/N]\"; --yes asks nothing.\n"
      "\nExamples:\n"
      "  vandril_loot_cli generate --levels 01-10\n"
      "  vandril_loot_cli generate --levels 01-10 --window-way --yes\n"
      "  vandril_loot_cli generate --levels 21-30 --category \"Drinks/Ales\" --items 2 --chance "
      "25\n"
      "  vandril_loot_cli generate --levels 51-60 --rules \"reqlevel<=55\"\n"
      "  vandril_loot_cli generate --levels 01-10 --seed 7 --dry-run --sql plan.sql\n"
      "  vandril_loot_cli generate --levels 01-10 --seed 7 --dry-run --plan plan.json\n"
      "  vandril_loot_cli generate --levels 01-10 --seed 7 --yes --report drops.csv\n"
      "  vandril_loot_cli generate --levels 11-20 --yes --isolate-shared\n"
      "  cut -f1 ids.txt | vandril_loot_cli generate --levels 61-99 --list - --yes");

  auto* stats = app.add_subcommand("stats", "the custom drop counts per category and level range");
  stats->add_option("--format", format, "table, csv or json")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  stats->footer("\nExamples:\n  vandril_loot_cli stats\n  vandril_loot_cli stats --format json");

  auto* remove = app.add_subcommand("delete", "deletes the custom loot drops of a level range");
  remove->add_option("--levels", levels, ranges_help)->required();
  remove->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  remove->add_flag("--dry-run", run.dry_run, "tell what would be removed, remove nothing");
  remove->footer(
      "\nRemoves every lootdrop whose name matches lvl_LL-HH% ('_' matching any character),\n"
      "custom or not, with its lootdrop entries and loottable entries. --dry-run lists first\n"
      "the matching names that do not end in _CUSTOM_<category word>.\n"
      "\nExamples:\n  vandril_loot_cli delete --levels 01-10 --dry-run\n"
      "  vandril_loot_cli delete --levels 01-10\n"
      "  vandril_loot_cli --quiet delete --levels 01-10 --yes");

  auto* repair = app.add_subcommand("repair", "gives NPCs without loot a loottable");
  repair->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  repair->add_flag("--dry-run", run.dry_run, "tell what would be changed, change nothing");
  repair->footer(
      "\nExamples:\n  vandril_loot_cli repair --dry-run\n  vandril_loot_cli repair --yes");

  auto* apply = app.add_subcommand(
      "apply", "writes a plan saved by generate --dry-run --plan, all or nothing");
  apply->add_option("FILE", run.plan, "the plan file (FILE.json)")->required();
  apply->add_flag("--yes", run.yes, "ask nothing, show no summary (needed without a terminal)");
  apply->footer(
      "\nThe plan is written only while the world still fits it: the same highest lootdrop\n"
      "id, the same loottables for its NPCs, and its items still there. Otherwise it says\n"
      "what changed and writes nothing (exit 1).\n"
      "\nExamples:\n  vandril_loot_cli generate --levels 01-10 --dry-run --plan plan.json\n"
      "  vandril_loot_cli apply plan.json");

  auto* test_rules = app.add_subcommand("test-rules", "counts the items that pass the rules");
  test_rules->add_option("--category", category, "caption or drop-name word (default Armour)");
  test_rules->add_option("--rules", run.rules, "item conditions")->required();
  test_rules->footer(
      "\nExample:\n  vandril_loot_cli test-rules --category weapon --rules \"reqlevel<=10\"");

  auto* check = app.add_subcommand("check", "a read-only report of the loot tables");
  check->add_option("--format", format, "table or json")->check(CLI::IsMember({"table", "json"}));
  check->footer("\nExamples:\n  vandril_loot_cli check\n  vandril_loot_cli check --format json");

  auto* categories =
      app.add_subcommand("categories", "the loot categories and level ranges (no server needed)");
  categories->add_option("--format", format, "table or json")
      ->check(CLI::IsMember({"table", "json"}));
  categories->footer(
      "\nExamples:\n  vandril_loot_cli categories\n  vandril_loot_cli categories --format json\n"
      "\nExit codes: 0 done; 64 usage.");

  auto* history = app.add_subcommand("history", "the journaled runs, newest first");
  history->add_option("--format", format, "table or json")->check(CLI::IsMember({"table", "json"}));
  auto* show = app.add_subcommand("show", "a journaled run's settings and rows");
  show->add_option("RUN", run.run_id, "the run's id (see history)")->required();
  auto* undo = app.add_subcommand("undo", "takes back what a journaled run wrote");
  undo->add_option("RUN", run.run_id, "the run's id (see history)")->required();
  undo->add_flag("--dry-run", run.dry_run, "list the statements, send none");
  undo->add_flag("--yes", run.yes, "ask nothing (needed without a terminal)");
  undo->add_flag("--force", run.force, "skip the rows in conflict and undo the rest");
  undo->footer("\nExamples:\n  vandril_loot_cli history\n  vandril_loot_cli undo 12 --dry-run");

  auto* simulate = app.add_subcommand(
      "simulate", "what a player gets per kill of the chosen NPCs, by the server's loot rules");
  auto* simulate_range = simulate
                             ->add_option("--levels", simulate_levels,
                                          "the NPCs of a level range, such as 01-10 or 0-255")
                             ->type_name("LL-HH");
  simulate->add_option("--npc", npc_ids, "the NPCs of these ids, such as 12,40")
      ->type_name("ID[,ID...]")
      ->excludes(simulate_range);
  simulate
      ->add_option("--loot-multiplier", loot_multiplier,
                   "the server's global loot multiplier, 1 to 100 (default 1)")
      ->type_name("G");
  auto* kill_count =
      simulate
          ->add_option("--kills", kills,
                       "also roll N kills of each NPC, 1 to 10000000, and show what they gave")
          ->type_name("N");
  simulate->add_option("--seed", seed, "seed of the rolled kills, 0 to 2^64-1")
      ->type_name("S")
      ->needs(kill_count);
  simulate->add_option("--format", format, "table, csv or json (default table)")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  simulate->footer(
      "\nFor each NPC: the chance that a kill gives at least one item, and the copies of each\n"
      "item a kill gives on average, computed exactly from the loot tables (no sampling).\n"
      "A lootdrop entry's chance is not the chance per kill: the loottable entry's probability,\n"
      "droplimit and multipliers decide how often the lootdrop is rolled and how many items it\n"
      "gives. Coins, scripts, global loot and the killer's level are left out (the output says "
      "so).\n"
      "\nExamples:\n"
      "  vandril_loot_cli simulate --levels 01-10\n"
      "  vandril_loot_cli simulate --npc 1042,1043 --format json\n"
      "  vandril_loot_cli simulate --npc 1042 --kills 100000 --seed 7\n"
      "  vandril_loot_cli simulate --levels 51-60 --loot-multiplier 2 --format csv > rates.csv\n"
      "\nExit codes: 0 done; 1 a query failed; 2 db.ini invalid, database unreachable or login\n"
      "refused; 64 usage (a malformed range or id list, --loot-multiplier not from 1 to 100,\n"
      "--kills not from 1 to 10000000).");

  ParsedArguments parsed;
  try {
    app.parse(argc, argv);
    run.verbosity = quiet ? Verbosity::quiet : verbose ? Verbosity::verbose : Verbosity::normal;
    if (generate->parsed()) run.command = CommandName::generate;
    if (stats->parsed()) run.command = CommandName::stats;
    if (remove->parsed()) run.command = CommandName::delete_drops;
    if (repair->parsed()) run.command = CommandName::repair;
    if (test_rules->parsed()) run.command = CommandName::test_rules;
    if (check->parsed()) run.command = CommandName::check;
    if (history->parsed()) run.command = CommandName::history;
    if (show->parsed()) run.command = CommandName::show;
    if (undo->parsed()) run.command = CommandName::undo;
    if (categories->parsed()) run.command = CommandName::categories;
    if (apply->parsed()) {
      run.command = CommandName::apply;
      run.atomic = true;
    }
    if (simulate->parsed()) {
      run.command = CommandName::simulate;
      if (simulate_levels.empty() == npc_ids.empty())
        throw UsageError{"simulate needs --levels LL-HH or --npc ID[,ID...]"};
      if (!simulate_levels.empty()) read_simulate_levels(simulate_levels, run);
      if (!npc_ids.empty()) run.npc_ids = npc_id_list(npc_ids);
      run.loot_multiplier =
          static_cast<int>(whole_in("--loot-multiplier", loot_multiplier, 1, 100, "1 to 100"));
      if (!kills.empty()) run.kills = whole_in("--kills", kills, 1, 10'000'000, "1 to 10000000");
    }
    if (!seed.empty()) run.seed = seed_of(seed);
    if (!port.empty())
      run.port = static_cast<int>(whole_in("--port", port, 1, 65535, "1 to 65535"));
    if (!levels.empty()) run.level_index = level_index(levels);
    run.category_index = category_index(category);
    run.format = format_of(format);
    if (generate->parsed()) {
      // All or nothing unless told to write the window's way.
      run.atomic = !run.window_way && !run.dry_run;
      if (run.plan && report_format(*run.plan) != ReportFormat::json)
        throw UsageError{"--plan " + *run.plan + " needs the extension .json"};
      if (run.report && !report_format(*run.report)) {
        throw UsageError{"--report " + *run.report + " needs the extension .csv or .json"};
      }
      check_number("--npc-percent", run.npc_percent, false);
      check_number("--chance", run.chance, false);
      check_number("--probability", run.probability, false);
      check_number("--items", run.items, true);
      if (run.isolate_shared && run.plan)
        throw UsageError{"--plan does not hold the loottable copies of --isolate-shared yet"};
      if (run.isolate_shared && window_way_chosen(run))
        throw UsageError{
            "--isolate-shared writes with the atomic writer or plans with --dry-run; the "
            "window's way writes the window's statements only"};
    }
    parsed.invocation = run;
  } catch (const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::RequiredError*>(&error) && app.get_subcommands().empty()) {
      parsed.exit_code = kExitUsage;
      parsed.err = usage(app);
      return parsed;
    }
    std::ostringstream out, err;
    parsed.exit_code = app.exit(error, out, err) == 0 ? kExitDone : kExitUsage;
    parsed.out = out.str();
    parsed.err = err.str();
  } catch (const UsageError& error) {
    parsed.exit_code = kExitUsage;
    parsed.err = std::string(kProgram) + ": " + error.message + "\n";
  }
  return parsed;
}

bool window_way_chosen(const Invocation& run) { return !run.dry_run && !run.atomic; }

}  // namespace vl::cli
