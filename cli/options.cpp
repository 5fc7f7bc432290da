#include "cli/options.h"

#include <fmt/core.h>

#include <algorithm>
#include <sstream>

#include "app/usage_wording.h"
#include "cli/command_definitions.h"
#include "cli/exit_codes.h"
#include "cli/option_values.h"
#include "cli/suggestions.h"

namespace vl::cli {
namespace {

// `help COMMAND` stands for `COMMAND --help`.
constexpr const char* kHelpWord = "help";
// Options of several commands that may also come before the command.
constexpr std::string_view kCommandOptionsFirst[] = {"--format"};

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

std::vector<std::string> command_words(const std::vector<DefinedCommand>& commands) {
  std::vector<std::string> words;
  words.reserve(commands.size());
  for (const DefinedCommand& command : commands) words.push_back(command.app->get_name());
  return words;
}

std::string option_name(const std::string& arg) { return arg.substr(0, arg.find('=')); }

// How many words an option takes up, its value included: 2 for `--name VALUE`.
std::size_t option_words(const CLI::App& app, const std::vector<std::string>& args, std::size_t i) {
  const std::string name = option_name(args[i]);
  const CLI::Option* option = app.get_option_no_throw(name);
  const bool valued = (option && takes_value(*option)) ||
                      std::find(std::begin(kCommandOptionsFirst), std::end(kCommandOptionsFirst),
                                name) != std::end(kCommandOptionsFirst);
  return valued && name == args[i] && i + 1 < args.size() ? 2 : 1;
}

// Where the command stands: the first word that is neither an option nor the
// value of one; args.size() when there is none.
std::size_t command_position(const CLI::App& app, const std::vector<std::string>& args) {
  std::size_t i = 0;
  while (i < args.size() && args[i].starts_with("-")) i += option_words(app, args, i);
  return std::min(i, args.size());
}

// Puts a command's options given before the command after it, and turns
// `help COMMAND` into `COMMAND --help`. Throws UsageError for a word that is
// no command.
void put_command_first(const CLI::App& app, const std::vector<std::string>& commands,
                       std::vector<std::string>& args) {
  using Offset = std::ptrdiff_t;
  std::size_t at = command_position(app, args);
  if (at == args.size()) return;
  if (args[at] == kHelpWord) {
    args.erase(args.begin() + static_cast<Offset>(at));
    const bool named = at < args.size() && !args[at].starts_with("-");
    args.insert(args.begin() + static_cast<Offset>(named ? at + 1 : at), "--help");
    if (!named) return;
  }
  const std::string& word = args[at];
  if (std::find(commands.begin(), commands.end(), word) == commands.end()) {
    const auto near = closest_word(word, commands);
    throw UsageError{word + " is no command" + (near ? " (did you mean " + *near + "?)" : "") +
                     "; use one of " + joined(commands)};
  }
  std::vector<std::string> moved;
  for (std::size_t i = 0; i < at;) {
    const std::size_t length = option_words(app, args, i);
    if (app.get_option_no_throw(option_name(args[i]))) {
      i += length;
      continue;
    }
    const auto first = args.begin() + static_cast<Offset>(i);
    moved.insert(moved.end(), first, first + static_cast<Offset>(length));
    args.erase(first, first + static_cast<Offset>(length));
    at -= length;
  }
  args.insert(args.begin() + static_cast<Offset>(at) + 1, moved.begin(), moved.end());
}

// An option no command or the program knows: the closest known one.
std::optional<std::string> unknown_option_message(const CLI::App& app) {
  const auto extras = app.remaining(true);
  const auto typed = std::find_if(extras.begin(), extras.end(),
                                  [](const std::string& arg) { return arg.starts_with("-"); });
  const auto selected = app.get_subcommands();
  if (typed == extras.end() || selected.empty()) return std::nullopt;
  const CLI::App& command = *selected.front();
  std::vector<std::string> known;
  for (const CLI::App* owner : {&command, &app}) {
    for (const CLI::Option* option : owner->get_options())
      for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
  }
  const std::string name = option_name(*typed);
  const auto near = closest_word(name, known);
  return fmt::format("{} is no option of {}{}; see {} help {}", name, command.get_name(),
                     near ? " (did you mean " + *near + "?)" : "", kProgram, command.get_name());
}

// The options a parse error may concern: the command's first, then the program's.
std::vector<const CLI::Option*> options_in_reach(const CLI::App& app, const CLI::App* command) {
  std::vector<const CLI::Option*> options;
  for (const CLI::App* owner : {command, &app}) {
    if (!owner) continue;
    const auto owned = owner->get_options();
    options.insert(options.end(), owned.begin(), owned.end());
  }
  return options;
}

// A parse error CLI11 found, said in the program's voice: the options
// concerned are found from what was parsed, never from CLI11's wording.
std::string parse_error_message(const CLI::App& app, const CLI::ParseError& error) {
  const auto selected = app.get_subcommands();
  const CLI::App* command = selected.empty() ? nullptr : selected.front();
  const std::string name = command ? command->get_name() : "";
  // The help to point to: the command's, or the program's for its own options.
  const auto scope = [&](const CLI::Option* option) {
    return command && command->get_option_no_throw(option->get_name()) == option ? name : "";
  };
  for (const CLI::Option* option : options_in_reach(app, command)) {
    if (dynamic_cast<const CLI::RequiredError*>(&error) && option->get_required() &&
        option->count() == 0) {
      const std::string value = option->get_positional() ? "" : " " + option->get_type_name();
      return app::missing_option(name, option->get_name() + value, option->get_description());
    }
    if (option->count() == 0) continue;
    if (dynamic_cast<const CLI::RequiresError*>(&error)) {
      for (const CLI::Option* needed : option->get_needs())
        if (needed->count() == 0)
          return app::option_needs(scope(option), option->get_name(), needed->get_name());
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&error)) {
      for (const CLI::Option* excluded : option->get_excludes())
        if (excluded->count() != 0)
          return app::options_exclude(scope(option), option->get_name(), excluded->get_name());
    }
    if (dynamic_cast<const CLI::ConversionError*>(&error) && option->get_positional())
      return app::not_a_whole_number(name, option->get_name(), option->results().front(),
                                     option->get_description());
  }
  return std::string(error.what()) + "; " + app::help_hint(name);
}

// The help names an option's value; its description says what the option needs,
// and what it cannot go with follows in words, not as CLI11's "Needs:" and
// "Excludes:" lists in another voice.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    std::string text;
    if (option->get_type_size() != 0 && !option->get_type_name().empty())
      text += " " + option->get_type_name();
    if (option->get_required()) text += " " + get_label("REQUIRED");
    return text;
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    std::string others;
    for (const CLI::Option* excluded : option->get_excludes())
      others += (others.empty() ? "" : " or ") + excluded->get_name();
    return option->get_description() + (others.empty() ? "" : " (not with " + others + ")");
  }
};

void use_help_formatter(CLI::App& app) {
  const auto formatter = std::make_shared<HelpFormatter>();
  app.formatter(formatter);
  for (CLI::App* command : app.get_subcommands({})) command->formatter(formatter);
}

// Without a command: the commands, one a line, as their help describes them.
std::string usage(const CLI::App& app) {
  std::string text = std::string("Usage: ") + kProgram +
                     " [--config FILE] [--journal FILE | --no-journal] [--quiet | --verbose] "
                     "COMMAND [OPTIONS]\n\nCommands:\n";
  for (const CLI::App* command : app.get_subcommands({}))
    text += fmt::format("  {:<11} {}\n", command->get_name(), command->get_description());
  text += fmt::format("  {:<11} {}\n", kHelpWord, "a command's help: help COMMAND");
  return text + "\nRun " + kProgram + " --help, or " + kProgram + " help COMMAND, for more.\n";
}

// generate's aim, if any: --level-to considers every NPC of the range.
void read_aim(const OptionTexts& texts, Invocation& run) {
  const bool given =
      !texts.target_rate.empty() || !texts.level_to.empty() || !texts.aim_per_hour.empty();
  if (!given && !texts.aim_multiplier.empty())
    throw UsageError{app::option_needs("generate", "--loot-multiplier",
                                       "--target-rate, --level-to or --aim-per-hour")};
  if (!given) return;
  loot::RunAim aim;
  if (!texts.aim_multiplier.empty())
    aim.loot_multiplier =
        static_cast<int>(whole_in("--loot-multiplier", texts.aim_multiplier, 1, 100, "1 to 100"));
  if (!texts.aim_per_hour.empty()) {
    aim.kind = loot::RunAim::Kind::items_per_hour;
    aim.items_per_hour = aim_items_per_hour(texts.aim_per_hour);
  } else if (!texts.target_rate.empty()) {
    aim.kind = loot::RunAim::Kind::new_drop;
    aim.percent = aim_percent("--target-rate", texts.target_rate);
  } else {
    aim.kind = loot::RunAim::Kind::every_npc;
    aim.percent = aim_percent("--level-to", texts.level_to);
    run.npc_percent = "101";  // every NPC of the range, one per loottable
  }
  run.aim = aim;
}

// The checked values of the options, into `run`.
void take_values(const OptionTexts& texts, Invocation& run) {
  run.verbosity = texts.quiet     ? Verbosity::quiet
                  : texts.verbose ? Verbosity::verbose
                                  : Verbosity::normal;
  if (run.command == CommandName::simulate) {
    run.summary = texts.summary;
    if (texts.simulate_levels.empty() == texts.npc_ids.empty())
      throw UsageError{"simulate needs --levels LL-HH or --npc ID[,ID...]"};
    if (!texts.simulate_levels.empty()) read_simulate_levels(texts.simulate_levels, run);
    if (!texts.npc_ids.empty()) run.npc_ids = npc_id_list(texts.npc_ids);
    run.loot_multiplier =
        static_cast<int>(whole_in("--loot-multiplier", texts.loot_multiplier, 1, 100, "1 to 100"));
    if (!texts.kills.empty())
      run.kills = whole_in("--kills", texts.kills, 1, 10'000'000, "1 to 10000000");
    if (!texts.level_to.empty()) {
      run.level_to = aim_percent("--level-to", texts.level_to);
      for (const NumberRange* range : {&kItems, &kChance})
        check_in_range(*range, range == &kItems ? run.items : run.chance);
    }
    if (texts.per_hour) {
      run.per_hour = loot::SpawnOptions{
          .instances = texts.instances.empty()
                           ? 1
                           : static_cast<int>(
                                 whole_in("--instances", texts.instances, 1, 1000, "1 to 1000")),
          .with_conditional = texts.with_conditional};
    }
    run.by_item = texts.by_item;
  }
  if (!texts.seed.empty()) run.seed = seed_of(texts.seed);
  if (!texts.port.empty())
    run.port = static_cast<int>(whole_in("--port", texts.port, 1, 65535, "1 to 65535"));
  if (!texts.levels.empty()) run.level_index = level_index(texts.levels);
  run.category_index = category_index(texts.category);
  run.format = format_of(texts.format);
  if (run.command == CommandName::apply) run.atomic = true;
  if (run.command == CommandName::generate) {
    // All or nothing unless told to write the window's way.
    run.atomic = !run.window_way && !run.dry_run;
    if (run.plan && report_format(*run.plan) != ReportFormat::json)
      throw UsageError{"--plan " + *run.plan + " needs the extension .json"};
    if (run.report && !report_format(*run.report)) {
      throw UsageError{"--report " + *run.report + " needs the extension .csv or .json"};
    }
    read_aim(texts, run);
    for (const auto& [range, text] :
         {std::pair{&kNpcPercent, run.npc_percent}, std::pair{&kChance, run.chance},
          std::pair{&kProbability, run.probability}, std::pair{&kItems, run.items}})
      check_in_range(*range, text);
    if (run.isolate_shared && window_way_chosen(run))
      throw UsageError{
          "--isolate-shared writes with the atomic writer or plans with --dry-run; the "
          "window's way writes the window's statements only"};
  }
}

}  // namespace

bool window_way_chosen(const Invocation& run) { return !run.dry_run && !run.atomic; }

ParsedArguments parse_arguments(int argc, const char* const* argv) {
  const auto line = std::make_unique<CommandLine>();
  CLI::App& app = line->app;
  Invocation& run = line->run;
  const std::vector<DefinedCommand>& commands = line->commands;
  std::vector<std::string> args(argv + 1, argv + argc);
  use_help_formatter(app);

  ParsedArguments parsed;
  try {
    put_command_first(app, command_words(commands), args);
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    app.parse(args);
    for (const DefinedCommand& command : commands)
      if (command.app->parsed()) run.command = command.name;
    take_values(line->texts, run);
    parsed.invocation = run;
  } catch (const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::RequiredError*>(&error) && app.get_subcommands().empty()) {
      parsed.exit_code = kExitUsage;
      parsed.err = usage(app);
      return parsed;
    }
    // An unknown option is told first: a required one may be only mistyped.
    if (auto message = unknown_option_message(app); message && error.get_exit_code() != 0) {
      parsed.exit_code = kExitUsage;
      parsed.err = std::string(kProgram) + ": " + *message + "\n";
      return parsed;
    }
    if (error.get_exit_code() != 0) {
      parsed.exit_code = kExitUsage;
      parsed.err = std::string(kProgram) + ": " + parse_error_message(app, error) + "\n";
      return parsed;
    }
    std::ostringstream out, err;  // --help and --version
    parsed.exit_code = app.exit(error, out, err) == 0 ? kExitDone : kExitUsage;
    parsed.out = out.str();
    parsed.err = err.str();
  } catch (const UsageError& error) {
    parsed.exit_code = kExitUsage;
    parsed.err = std::string(kProgram) + ": " + error.message + "\n";
  }
  return parsed;
}

}  // namespace vl::cli
