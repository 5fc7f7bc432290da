#include "cli/reference_pages.h"

#include <fmt/core.h>

#include <algorithm>

#include "cli/option_values.h"
#include "loot/catalog.h"

namespace vl::cli {
namespace {

// Text as roff shows it literally: backslashes escaped, no line taken for a request.
std::string roff(const std::string& text) {
  std::string out;
  bool line_start = true;
  for (const char c : text) {
    if (line_start && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    line_start = c == '\n';
  }
  return out;
}

void man_options(std::string& page, const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    const std::string value = takes_value(*option) ? option->get_type_name() : "";
    page += ".TP\n\\fB" + roff(option->get_name()) + "\\fR" +
            (value.empty() ? "" : " \\fI" + roff(value) + "\\fR") + "\n" +
            roff(option->get_description()) + "\n";
  }
}

// What completes an option's value, as bash statements ending in "; " ("" when
// nothing is offered).
std::string value_completion(const CLI::Option& option) {
  const auto offer = [](const std::string& command) { return "COMPREPLY=($(" + command + ")); "; };
  const std::string type = option.get_type_name();
  if (type == "FILE") return offer("compgen -f -- \"$cur\"");
  if (type.find('|') != std::string::npos) {
    std::string words = type;
    std::replace(words.begin(), words.end(), '|', ' ');
    return offer("compgen -W \"" + words + "\" -- \"$cur\"");
  }
  if (option.get_name() == "--levels") {
    std::string entries = level_entries();
    entries.erase(std::remove(entries.begin(), entries.end(), ','), entries.end());
    return offer("compgen -W \"" + entries + "\" -- \"$cur\"");
  }
  if (option.get_name() == "--category") {
    // Captions hold spaces: they are matched one a line, against what was typed
    // without its backslashes, and offered escaped as they must be typed.
    std::string captions;
    for (const auto& category : loot::kLootCategories)
      captions += (captions.empty() ? "" : "\\n") + std::string(category.caption);
    return "local IFS=$'\\n' w; COMPREPLY=(); for w in $(compgen -W $'" + captions +
           "' -- \"${cur//\\\\/}\"); do COMPREPLY+=(\"$(printf '%q' \"$w\")\"); done; ";
  }
  return "";
}

// The `case $prev` arms for the options of `app` that take a value, and their names.
std::string option_words(const CLI::App& app, std::string& arms) {
  std::string words;
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_lnames().empty()) continue;  // a positional value
    const std::string name = option->get_name();
    words += (words.empty() ? "" : " ") + name;
    if (!takes_value(*option)) continue;
    arms += "      " + name + ") " + value_completion(*option) + "return ;;\n";
  }
  return words;
}

}  // namespace

std::string man_page(const CommandLine& line, const std::string& version) {
  const CLI::App& app = line.app;
  std::string page = fmt::format(
      ".TH VANDRIL_LOOT_CLI 1 \"\" \"{0} {1}\" \"User Commands\"\n.SH NAME\n{0} \\- {2}\n"
      ".SH SYNOPSIS\n.B {0}\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fICOMMAND OPTIONS\\fR]\n"
      ".br\n.B {0}\nhelp \\fICOMMAND\\fR\n.SH OPTIONS\n",
      kProgram, version, roff(app.get_description()));
  man_options(page, app);
  page += ".SH COMMANDS\n";
  for (const DefinedCommand& command : line.commands) {
    page +=
        ".SS " + roff(command.app->get_name()) + "\n" + roff(command.app->get_description()) + "\n";
    man_options(page, *command.app);
    page += ".PP\n.nf\n" + roff(command.app->get_footer()) + "\n.fi\n";
  }
  return page + ".SH NOTES\n.nf\n" + roff(app.get_footer()) + "\n.fi\n";
}

std::string bash_completion(const CommandLine& line) {
  std::string program_arms, valued;
  const std::string program_words = option_words(line.app, program_arms);
  for (const CLI::Option* option : line.app.get_options())
    if (takes_value(*option)) valued += (valued.empty() ? "" : " | ") + option->get_name();
  std::string commands = "help", command_arms;
  for (const DefinedCommand& command : line.commands) {
    const std::string& name = command.app->get_name();
    commands += " " + name;
    std::string arms;
    const std::string words = option_words(*command.app, arms);
    command_arms +=
        fmt::format("    {})\n      case $prev in\n{}      esac\n      words=\"{} $program\" ;;\n",
                    name, arms, words);
  }
  return fmt::format(R"(# bash completion for {0}, made from its option definitions.
_{0}() {{
  local cur=${{COMP_WORDS[COMP_CWORD]}} prev=${{COMP_WORDS[COMP_CWORD-1]}}
  local program="{1}" command="" words i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${{COMP_WORDS[i]}} in
      -*) ;;
      *) case ${{COMP_WORDS[i-1]}} in {5}) ;; *) command=${{COMP_WORDS[i]}}; break ;; esac ;;
    esac
  done
  case $prev in
{2}  esac
  case $command in
    "") words="{3} $program" ;;
    help) words="{3}" ;;
{4}  esac
  # Each word once: none already on the line, none a command shares with the program.
  local seen=" ${{COMP_WORDS[*]:1:COMP_CWORD-1}} " left="" w
  for w in $words; do [[ $seen == *" $w "* ]] || {{ left+=" $w"; seen+="$w "; }}; done
  COMPREPLY=($(compgen -W "$left" -- "$cur"))
}}
complete -F _{0} {0}
)",
                     kProgram, program_words, program_arms, commands, command_arms, valued);
}

}  // namespace vl::cli
