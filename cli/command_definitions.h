#pragma once
// The command line's options and commands as CLI11 definitions: parsed by
// parse_arguments, and the source of the help texts, the man page and the bash
// completion, so that each option is defined once.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/options.h"

namespace vl::cli {

inline constexpr const char* kProgram = "vandril_loot_cli";

// Option values as typed, checked once the whole command line is parsed.
struct OptionTexts {
  std::string levels, category = "Armour", format = "table", seed;
  std::string simulate_levels, npc_ids, loot_multiplier = "1", kills, port, instances;
  // The aims (generate), the one of simulate, and the loot multiplier generate's
  // aims are solved with (empty: not given).
  std::string target_rate, level_to, aim_per_hour, aim_multiplier;
  bool quiet = false, verbose = false, summary = false, per_hour = false, with_conditional = false,
       by_item = false;
};

// An option followed by its value (not a flag).
inline bool takes_value(const CLI::Option& option) { return option.get_items_expected_max() > 0; }

struct DefinedCommand {
  CommandName name;
  CLI::App* app;
};

// The whole command line: the program's options (before or after the
// command) and every command, bound to `run` and `texts`; the commands in the
// order the usage lists them.
struct CommandLine {
  CommandLine();
  CLI::App app;
  Invocation run;
  OptionTexts texts;
  std::vector<DefinedCommand> commands;
};

// The definitions of each group, called by define_command_line.
void define_program_options(CLI::App& app, Invocation& run, OptionTexts& texts);
std::vector<DefinedCommand> define_write_commands(CLI::App& app, Invocation& run,
                                                  OptionTexts& texts);
std::vector<DefinedCommand> define_read_commands(CLI::App& app, Invocation& run,
                                                 OptionTexts& texts);
std::vector<DefinedCommand> define_journal_commands(CLI::App& app, Invocation& run,
                                                    OptionTexts& texts);

// --format with the formats a command prints ("table", "json", maybe "csv").
void add_format_option(CLI::App& command, std::string& format,
                       const std::vector<std::string>& formats);

struct ExitCase {
  int code;
  const char* meaning;  // may hold line breaks; each is indented under the first
};
// The end of a command's help: a few lines about it (or ""), its examples, and
// the exit codes it can return.
std::string help_footer(const std::string& about, const std::vector<std::string>& examples,
                        const std::vector<ExitCase>& codes);

}  // namespace vl::cli
