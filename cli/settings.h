#pragma once
// The engine's settings from the command line's options: the same values the
// window's controls would give, checked by the same rules.

#include <optional>
#include <string>
#include <vector>

#include "app/ui_port.h"
#include "cli/options.h"
#include "loot/fixed_inputs.h"

namespace vl::cli {

// A custom item list file ("-": standard input) with LF or CR LF line ends,
// given back with the list window's CR LF. nullopt when it cannot be read.
std::optional<std::string> read_list_text(const std::string& path);

struct Applied {
  std::optional<std::string> usage_error;  // bad input: nothing may run
};

// The level range, the category, the percentages and items per drop, and the
// rules or the list (whose message goes to `ui` as the list window shows it).
Applied apply_settings(loot::FixedInputs& inputs, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text);

}  // namespace vl::cli
