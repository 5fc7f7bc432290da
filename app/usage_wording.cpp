#include "app/usage_wording.h"

#include <fmt/core.h>

namespace vl::app {

std::string help_hint(const std::string& command) {
  return command.empty() ? "see vandril_loot_cli --help" : "see vandril_loot_cli help " + command;
}

std::string missing_option(const std::string& command, const std::string& option,
                           const std::string& meaning) {
  return fmt::format("{} needs {}: {}; {}", command, option, meaning, help_hint(command));
}

std::string option_needs(const std::string& command, const std::string& option,
                         const std::string& needed) {
  return fmt::format("{} works only with {}: add {}, or leave {} out; {}", option, needed, needed,
                     option, help_hint(command));
}

std::string options_exclude(const std::string& command, const std::string& first,
                            const std::string& second) {
  return fmt::format("{} and {} cannot be given together: leave one of them out; {}", first, second,
                     help_hint(command));
}

std::string not_a_whole_number(const std::string& command, const std::string& option,
                               const std::string& value, const std::string& meaning) {
  return fmt::format("{} {}: {} must be a whole number, {}; {}", command, value, option, meaning,
                     help_hint(command));
}

std::string format_not_printed(const std::string& command, const std::string& value,
                               const std::vector<std::string>& formats) {
  std::string names;
  for (std::size_t i = 0; i < formats.size(); ++i)
    names += (i == 0 ? "" : i + 1 == formats.size() ? " or " : ", ") + formats[i];
  return fmt::format("--format {}: {} prints {}; give one of them", value, command, names);
}

std::string unknown_category(const std::string& name, const std::optional<std::string>& near,
                             const std::string& names) {
  return fmt::format("--category \"{}\" is no loot category{}; use one of (any case) {}", name,
                     near ? " (did you mean " + *near + "?)" : "", names);
}

}  // namespace vl::app
