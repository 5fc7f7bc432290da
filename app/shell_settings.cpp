#include "app/shell_settings.h"

#include <iterator>

#include "core/numeric_text.h"
#include "loot/candidates.h"
#include "loot/catalog.h"
#include "loot/custom_list.h"
#include "loot/rules.h"
#include "loot/run_rules.h"

namespace vl::app {
namespace {

std::string range_of(const ShellSettings& settings) {
  return std::string(loot::kLevelRanges[static_cast<std::size_t>(settings.level_index)].entry);
}

}  // namespace

std::optional<std::string> read_list_text(std::istream& in) {
  const std::string raw(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) return std::nullopt;
  std::string text;
  text.reserve(raw.size() + raw.size() / 8);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    if (raw[i] == '\n') text += '\r';
    text += raw[i];
  }
  return text;
}

bool apply_shell_settings(loot::FixedInputs& inputs, UiPort& ui, const ShellSettings& settings,
                          SettingsUse use, const std::optional<std::string>& list_text) {
  const loot::LevelBounds bounds = loot::level_bounds(range_of(settings));
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

const char* journal_name(WriteCommand command) {
  switch (command) {
    case WriteCommand::generate:
      return "generate";
    case WriteCommand::delete_drops:
      return "delete";
    case WriteCommand::repair:
      return "repair";
  }
  return "";
}

journal::GenerationSettings generation_settings(const loot::FixedInputs& inputs,
                                                const ShellSettings& settings,
                                                std::optional<std::uint64_t> seed) {
  return {.range = range_of(settings),
          .category = std::string(
              loot::kLootCategories[static_cast<std::size_t>(settings.category_index)].name),
          .list_size = settings.from_list
                           ? std::optional<int>(loot::custom_list_length(inputs.slots))
                           : std::nullopt,
          .rules = settings.rules.value_or(""),
          .npc_percent = settings.npc_percent,
          .chance = settings.chance,
          .probability = settings.probability,
          .items = settings.items,
          .seed = seed,
          .atomic = settings.atomic,
          .isolate_shared = settings.isolate_shared,
          .aim = settings.aim};
}

std::string kept_settings(WriteCommand command, const loot::FixedInputs& inputs,
                          const ShellSettings& settings, std::optional<std::uint64_t> seed) {
  if (command == WriteCommand::delete_drops) return journal::range_settings(range_of(settings));
  if (command == WriteCommand::repair) return "";
  return journal::generation_settings(generation_settings(inputs, settings, seed));
}

}  // namespace vl::app
