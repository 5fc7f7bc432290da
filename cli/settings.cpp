#include "cli/settings.h"

#include <fstream>
#include <iostream>

#include "loot/custom_list.h"

namespace vl::cli {
std::optional<std::string> read_list_text(const std::string& path) {
  if (path == "-") return app::read_list_text(std::cin);
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return app::read_list_text(file);
}

app::ShellSettings shell_settings_of(const Invocation& run) {
  return {.level_index = run.level_index,
          .category_index = run.category_index,
          .rules = run.rules,
          .npc_percent = run.npc_percent,
          .chance = run.chance,
          .probability = run.probability,
          .items = run.items,
          .from_list = run.list.has_value(),
          .atomic = run.atomic,
          .isolate_shared = run.isolate_shared,
          .aim = run.aim};
}

Applied apply_settings(loot::FixedInputs& inputs, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text) {
  const app::SettingsUse use = run.command == CommandName::generate ? app::SettingsUse::generation
                               : run.command == CommandName::test_rules ? app::SettingsUse::rules
                                                                        : app::SettingsUse::range;
  Applied applied;
  if (!app::apply_shell_settings(inputs, ui, shell_settings_of(run), use, list_text))
    applied.usage_error = "--list: more than " + std::to_string(custom_list::kListCapacity) +
                          " lines; a list holds at most that many";
  return applied;
}

app::WriteCommand write_command_of(const Invocation& run) {
  if (run.command == CommandName::delete_drops) return app::WriteCommand::delete_drops;
  if (run.command == CommandName::repair) return app::WriteCommand::repair;
  return app::WriteCommand::generate;
}

std::string run_settings(const loot::FixedInputs& inputs, const Invocation& run,
                         std::optional<std::uint64_t> seed) {
  return app::kept_settings(write_command_of(run), inputs, shell_settings_of(run), seed);
}

}  // namespace vl::cli
