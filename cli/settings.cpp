#include "cli/settings.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "core/numeric_text.h"
#include "loot/catalog.h"
#include "loot/custom_list.h"
#include "loot/rules.h"
#include "loot/run_rules.h"

namespace vl::cli {
std::optional<std::string> read_list_text(const std::string& path) {
  std::string raw;
  if (path == "-") {
    raw.assign(std::istreambuf_iterator<char>(std::cin), {});
    if (std::cin.bad()) return std::nullopt;
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    raw.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) return std::nullopt;
  }
  std::string text;
  text.reserve(raw.size() + raw.size() / 8);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    if (raw[i] == '\n') text += '\r';
    text += raw[i];
  }
  return text;
}

Applied apply_settings(loot::FixedInputs& inputs, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text) {
  Applied applied;
  const loot::LevelBounds bounds = loot::level_bounds(
      std::string(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry));
  inputs.low = bounds.low;
  inputs.high = bounds.high;
  inputs.category = run.category_index;
  if (run.command != CommandName::generate && run.command != CommandName::test_rules) {
    return applied;
  }
  if (run.rules) inputs.rules = rules::rules_condition(*run.rules, inputs.rules);
  if (run.command == CommandName::test_rules) return applied;

  inputs.percent_of_npcs = run.npc_percent;
  inputs.chance = run.chance;
  inputs.probability = run.probability;
  // Checked to be 1 to 32 when parsed, as the window's box rounds it.
  inputs.items = to_int16(numeric_value(loot::settled_items_per_drop(run.items))).value_or(0);
  if (list_text) {
    const custom_list::ListFill fill = custom_list::fill_list_slots(*list_text, inputs.slots);
    ui.message_box(custom_list::list_message(fill));
    inputs.custom_list = fill.fits;
    if (!fill.fits) {
      applied.usage_error = "--list: more than " + std::to_string(custom_list::kListCapacity) +
                            " lines; a list holds at most that many";
    }
  }
  return applied;
}

}  // namespace vl::cli
