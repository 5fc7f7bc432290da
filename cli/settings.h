#pragma once
// Where the command line's settings go: the same program state and handlers
// the window's controls fill, so that a run sends the same statements.

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::cli {

// The db.ini to read: --config, else ./db.ini, else the launcher's folder.
std::string config_path(const Invocation& run);

// A custom item list file ("-": standard input) with LF or CR LF line ends,
// given back with the list window's CR LF. nullopt when it cannot be read.
std::optional<std::string> read_list_text(const std::string& path);

struct Applied {
  std::optional<std::string> usage_error;  // bad input: nothing may run
  std::vector<std::string> warnings;
};

// The level range, the category option, the boxes, and the rules or the list
// through their windows' handlers.
Applied apply_settings(ProgramState& state, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text);

}  // namespace vl::cli
