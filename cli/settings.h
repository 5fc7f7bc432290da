#pragma once
// The engine's settings from the command line's options: the same values the
// window's controls would give, checked by the same rules (app/shell_settings).

#include <cstdint>
#include <optional>
#include <string>

#include "app/shell_settings.h"
#include "app/ui_port.h"
#include "cli/options.h"
#include "loot/fixed_inputs.h"

namespace vl::cli {

// A custom item list file ("-": standard input). nullopt when it cannot be read.
std::optional<std::string> read_list_text(const std::string& path);

struct Applied {
  std::optional<std::string> usage_error;  // bad input: nothing may run
};

// The level range, the category, the percentages and items per drop, and the
// rules or the list (whose message goes to `ui` as the list window shows it).
Applied apply_settings(loot::FixedInputs& inputs, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text);

// The options' values as a shell gives them to app.
app::ShellSettings shell_settings_of(const Invocation& run);

// generate, delete or repair, as app names the write commands.
app::WriteCommand write_command_of(const Invocation& run);

// The settings of a write command (generate, delete, repair), as the journal keeps them.
std::string run_settings(const loot::FixedInputs& inputs, const Invocation& run,
                         std::optional<std::uint64_t> seed);

}  // namespace vl::cli
