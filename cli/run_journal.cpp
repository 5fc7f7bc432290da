#include "cli/run_journal.h"

#include <cstdio>

#include "journal/run_settings.h"
#include "loot/candidates.h"
#include "loot/catalog.h"

namespace vl::cli {
std::string journal_path(const Invocation& run) {
  return run.journal ? *run.journal : journal::default_journal_path();
}

std::string journal_named(const std::string& path) {
  return path.empty() ? "the journal" : "the journal " + path;
}

std::unique_ptr<RunJournal> open_run_journal(const Invocation& run) {
  const std::string path = journal_path(run);
  try {
    return std::make_unique<RunJournal>(open_journal(path));
  } catch (const std::exception& error) {
    std::fprintf(stderr,
                 "vandril_loot_cli: %s cannot be opened (%s); nothing was written. "
                 "Give --no-journal to write without one.\n",
                 journal_named(path).c_str(), error.what());
    return nullptr;
  }
}

void say_journal_refused(const char* reason) {
  std::fprintf(stderr,
               "vandril_loot_cli: the journal could not be written (%s); nothing was "
               "written. Give --no-journal to write without one.\n",
               reason);
}

std::string run_settings(const loot::FixedInputs& inputs, const Invocation& run,
                         std::optional<std::uint64_t> seed) {
  const std::string range(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry);
  if (run.command == CommandName::delete_drops) return journal::range_settings(range);
  if (run.command == CommandName::repair) return "";
  return journal::generation_settings(generation_settings(inputs, run, seed));
}

journal::GenerationSettings generation_settings(const loot::FixedInputs& inputs,
                                                const Invocation& run,
                                                std::optional<std::uint64_t> seed) {
  return {.range = std::string(loot::kLevelRanges[static_cast<std::size_t>(run.level_index)].entry),
          .category =
              std::string(loot::kLootCategories[static_cast<std::size_t>(run.category_index)].name),
          .list_size =
              run.list ? std::optional<int>(loot::custom_list_length(inputs.slots)) : std::nullopt,
          .rules = run.rules.value_or(""),
          .npc_percent = run.npc_percent,
          .chance = run.chance,
          .probability = run.probability,
          .items = run.items,
          .seed = seed,
          .atomic = run.atomic,
          .isolate_shared = run.isolate_shared};
}

RunJournal::RunJournal(std::unique_ptr<journal::Store> store)
    : app::CommandJournal(std::move(store), [](const std::string& why) {
        std::fprintf(stderr, "vandril_loot_cli: the journal could not record the run's end: %s\n",
                     why.c_str());
      }) {}

}  // namespace vl::cli
