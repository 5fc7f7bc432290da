#include "cli/settings.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "app/shell_settings.h"
#include "loot/custom_list.h"

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
  const app::SettingsUse use = run.command == CommandName::generate ? app::SettingsUse::generation
                               : run.command == CommandName::test_rules ? app::SettingsUse::rules
                                                                        : app::SettingsUse::range;
  const app::ShellSettings settings{.level_index = run.level_index,
                                    .category_index = run.category_index,
                                    .rules = run.rules,
                                    .npc_percent = run.npc_percent,
                                    .chance = run.chance,
                                    .probability = run.probability,
                                    .items = run.items};
  Applied applied;
  if (!app::apply_shell_settings(inputs, ui, settings, use, list_text))
    applied.usage_error = "--list: more than " + std::to_string(custom_list::kListCapacity) +
                          " lines; a list holds at most that many";
  return applied;
}

}  // namespace vl::cli
