// The program's own options, the list of commands, and the shape of every
// command's help.

#include <fmt/core.h>

#include <algorithm>

#include "app/usage_wording.h"
#include "cli/command_definitions.h"
#include "cli/connection_settings.h"
#include "cli/exit_codes.h"
#include "cli/option_values.h"

namespace vl::cli {

void define_program_options(CLI::App& app, Invocation& run, OptionTexts& texts) {
  app.set_version_flag("--version", std::string(kProgram) + " " + VANDRIL_VERSION);
  app.require_subcommand(1);
  // The program's options are taken after the command too.
  app.fallthrough();
  app.add_option("--config", run.config,
                 "db.ini to read (default: ./db.ini, then "
                 "${VANDRIL_LOOT_HOME:-${XDG_CONFIG_HOME:-~/.config}/vandril_loot}/db.ini)")
      ->type_name("FILE");
  app.add_option("--journal", run.journal,
                 "journal of the write commands (default: $VANDRIL_LOOT_JOURNAL, then "
                 "${XDG_DATA_HOME:-~/.local/share}/vandril_loot/journal.sqlite3)")
      ->type_name("FILE")
      ->excludes(app.add_flag("--no-journal", run.no_journal, "write without a journal (no undo)"));
  app.add_option("--port", texts.port,
                 "TCP port of the server, 1 to 65535 (default: db.ini's port=, else 3306)")
      ->type_name("PORT");
  app.add_option("--ssl-ca", run.ssl_ca,
                 "CA file the server's certificate is checked against; TLS required (default: "
                 "db.ini's ssl_ca=)")
      ->type_name("FILE");
  app.add_flag("--quiet", texts.quiet, "print only errors and the result")
      ->excludes(app.add_flag("--verbose", texts.verbose,
                              "write every statement sent, with its duration, to stderr"));
  app.footer(std::string(kDbIniHelp) +
             "\nThe options above may also follow the command. `help COMMAND` shows a "
             "command's help.\n\nExamples:\n"
             "  vandril_loot_cli generate --levels 11-20 --category weapon --items 3\n"
             "  vandril_loot_cli --config /srv/world/db.ini stats --format csv\n"
             "  vandril_loot_cli help generate\n\n" +
             kExitCodeTable);
}

CommandLine::CommandLine()
    : app("Writes random custom loot into the game server's world database, without a window.",
          kProgram) {
  define_program_options(app, run, texts);
  commands = define_write_commands(app, run, texts);
  for (auto& group :
       {define_read_commands(app, run, texts), define_journal_commands(app, run, texts)})
    commands.insert(commands.end(), group.begin(), group.end());
}

void add_format_option(CLI::App& command, std::string& format,
                       const std::vector<std::string>& formats) {
  std::string names;
  for (const std::string& name : formats) names += (names.empty() ? "" : "|") + name;
  command
      .add_option("--format", format,
                  std::string(formats.size() > 2 ? "table (default), csv" : "table (default)") +
                      " or json (one JSON document on stdout)")
      ->type_name(names)
      ->check(CLI::Validator(
          [formats, name = command.get_name()](std::string& value) {
            if (std::find(formats.begin(), formats.end(), value) == formats.end())
              throw UsageError{app::format_not_printed(name, value, formats)};
            return std::string();
          },
          ""));
}

std::string help_footer(const std::string& about, const std::vector<std::string>& examples,
                        const std::vector<ExitCase>& codes) {
  std::string text = about.empty() ? "" : about + "\n\n";
  text += examples.size() == 1 ? "Example:\n" : "Examples:\n";
  // A pipeline names the program itself where it stands.
  for (const std::string& example : examples)
    text += "  " + (example.find(" | ") != std::string::npos ? "" : std::string(kProgram) + " ") +
            example + "\n";
  text += "\nExit codes:\n";
  for (const ExitCase& exit : codes) {
    std::string meaning = exit.meaning;
    for (std::size_t at = meaning.find('\n'); at != std::string::npos;
         at = meaning.find('\n', at + 1))
      meaning.insert(at + 1, "       ");
    text += fmt::format("  {:<4} {}\n", exit.code, meaning);
  }
  text.pop_back();  // CLI11 ends the help with a line break of its own
  return text;
}

}  // namespace vl::cli
