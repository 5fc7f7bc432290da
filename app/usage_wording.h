#pragma once
// The command line's answers to a command line it cannot take, in its own
// voice: what is wrong, what the option means, and what to do. The shell finds
// the options concerned; the words live here, with no parser in sight.

#include <optional>
#include <string>
#include <vector>

namespace vl::app {

// Where to read more: "vandril_loot_cli help COMMAND", or "vandril_loot_cli
// --help" for the program's own options (`command` empty).
std::string help_hint(const std::string& command);

// A required option or argument left out: "generate needs --levels LL-HH: level
// range: ...; see vandril_loot_cli help generate".
std::string missing_option(const std::string& command, const std::string& option,
                           const std::string& meaning);
// An option that works only beside another.
std::string option_needs(const std::string& command, const std::string& option,
                         const std::string& needed);
// Two options that cannot be given together.
std::string options_exclude(const std::string& command, const std::string& first,
                            const std::string& second);
// An argument that must be a whole number: "show abc: RUN must be a whole
// number, the run's id (see history)".
std::string not_a_whole_number(const std::string& command, const std::string& option,
                               const std::string& value, const std::string& meaning);
// A --format the command does not print.
std::string format_not_printed(const std::string& command, const std::string& value,
                               const std::vector<std::string>& formats);
// A --category that names none: the closest one when a slip is likely.
std::string unknown_category(const std::string& name, const std::optional<std::string>& near,
                             const std::string& names);

}  // namespace vl::app
