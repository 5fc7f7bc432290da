#include "app/shell_settings.h"

#include "core/numeric_text.h"
#include "loot/catalog.h"
#include "loot/custom_list.h"
#include "loot/rules.h"
#include "loot/run_rules.h"

namespace vl::app {

bool apply_shell_settings(loot::FixedInputs& inputs, UiPort& ui, const ShellSettings& settings,
                          SettingsUse use, const std::optional<std::string>& list_text) {
  const loot::LevelBounds bounds = loot::level_bounds(
      std::string(loot::kLevelRanges[static_cast<std::size_t>(settings.level_index)].entry));
  inputs.low = bounds.low;
  inputs.high = bounds.high;
  inputs.category = settings.category_index;
  if (use == SettingsUse::range) return true;
  if (settings.rules) inputs.rules = rules::rules_condition(*settings.rules, inputs.rules);
  if (use == SettingsUse::rules) return true;

  inputs.percent_of_npcs = settings.npc_percent;
  inputs.chance = settings.chance;
  inputs.probability = settings.probability;
  // Checked to be 1 to 32 when parsed, as the window's box rounds it.
  inputs.items = to_int16(numeric_value(loot::settled_items_per_drop(settings.items))).value_or(0);
  if (!list_text) return true;
  const custom_list::ListFill fill = custom_list::fill_list_slots(*list_text, inputs.slots);
  ui.message_box(custom_list::list_message(fill));
  inputs.custom_list = fill.fits;
  return fill.fits;
}

}  // namespace vl::app
