#pragma once
// The engine's settings from the values a shell was given: the same values the
// window's controls would hold, checked by the same rules.

#include <optional>
#include <string>

#include "app/ui_port.h"
#include "loot/fixed_inputs.h"

namespace vl::app {

struct ShellSettings {
  int level_index = 0;     // into loot::kLevelRanges
  int category_index = 0;  // into loot::kLootCategories
  std::optional<std::string> rules;
  std::string npc_percent, chance, probability, items;  // as typed, checked already
};

// How much of the settings a command uses: the range and category only, those
// and the rules, or everything a generation run reads.
enum class SettingsUse { range, rules, generation };

// Sets `inputs` from `settings` as far as `use` reaches, and fills the custom
// list from `list_text` (its message goes to `ui` as the list window shows it).
// False when the list has more lines than a list holds.
bool apply_shell_settings(loot::FixedInputs& inputs, UiPort& ui, const ShellSettings& settings,
                          SettingsUse use, const std::optional<std::string>& list_text);

}  // namespace vl::app
