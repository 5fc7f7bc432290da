#pragma once
// The man page and the bash completion of the command line, both made from
// its option definitions at build time (vandril_cli_docs), never written by hand.

#include <string>

#include "cli/command_definitions.h"

namespace vl::cli {

// The man page (roff, section 1): the program's options, each command with
// its options and the end of its help (examples, exit codes).
std::string man_page(const CommandLine& line, const std::string& version);

// A bash completion script: commands, each command's options, and the values
// of --format, --levels and the options that name files.
std::string bash_completion(const CommandLine& line);

}  // namespace vl::cli
