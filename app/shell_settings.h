#pragma once
// The engine's settings from the values a shell was given: the same values the
// window's controls would hold, checked by the same rules.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

#include "app/ui_port.h"
#include "journal/run_settings.h"
#include "loot/aim_solver.h"
#include "loot/fixed_inputs.h"

namespace vl::app {

struct ShellSettings {
  int level_index = 0;     // into loot::kLevelRanges
  int category_index = 0;  // into loot::kLootCategories
  std::optional<std::string> rules;
  std::string npc_percent, chance, probability, items;  // as typed, checked already
  // How generate writes, kept with its run: the items from a custom list, all
  // or nothing, the shared loottables copied for the range.
  bool from_list = false, atomic = false, isolate_shared = false;
  std::optional<loot::RunAim> aim = std::nullopt;  // the drops' values solved for it
};

// A custom item list as read from a file with LF or CR LF line ends, given
// back with the list window's CR LF. nullopt when it cannot be read whole.
std::optional<std::string> read_list_text(std::istream& in);

// How much of the settings a command uses: the range and category only, those
// and the rules, or everything a generation run reads.
enum class SettingsUse { range, rules, generation };

// Sets `inputs` from `settings` as far as `use` reaches, and fills the custom
// list from `list_text` (its message goes to `ui` as the list window shows it).
// False when the list has more lines than a list holds.
bool apply_shell_settings(loot::FixedInputs& inputs, UiPort& ui, const ShellSettings& settings,
                          SettingsUse use, const std::optional<std::string>& list_text);

// The commands that write and keep their settings in the journal.
enum class WriteCommand { generate, delete_drops, repair };
// As the journal names the run.
const char* journal_name(WriteCommand command);

// generate's settings as values, as the journal and a plan file keep them.
journal::GenerationSettings generation_settings(const loot::FixedInputs& inputs,
                                                const ShellSettings& settings,
                                                std::optional<std::uint64_t> seed);
// A write command's settings as the journal keeps them (generate's with `seed`).
std::string kept_settings(WriteCommand command, const loot::FixedInputs& inputs,
                          const ShellSettings& settings, std::optional<std::uint64_t> seed);

}  // namespace vl::app
