#include "app/read_commands.h"

#include <exception>
#include <vector>

#include "app/command_failure.h"
#include "loot/catalog.h"
#include "loot/rules.h"

namespace vl::app {
namespace {

// A refusal the engine told: shown like a message box.
ReadEnd told(const MessageBox& message_box, Ending ending, const std::string& message) {
  message_box(message);
  return {.ending = ending, .failed = true};
}

}  // namespace

ReadEnd guarded(const MessageBox& message_box, const std::function<void()>& command) {
  try {
    command();
    return {};
  } catch (...) {
    const Failure failure = failure_of(std::current_exception());
    return told(message_box, failure.connection_lost ? Ending::connection_lost : Ending::refused,
                failure.message);
  }
}

ReadEnd count_drops(db::Session& session, const MessageBox& message_box,
                    maintenance::StatsTable& table) {
  std::vector<std::string> ranges, words;
  for (const loot::LevelRange& range : loot::kLevelRanges) ranges.emplace_back(range.entry);
  for (const loot::LootCategory& category : loot::kLootCategories)
    words.emplace_back(category.stats_word);
  maintenance::StatsOutcome outcome;
  const ReadEnd end = guarded(
      message_box, [&] { outcome = maintenance::count_custom_drops(session, ranges, words, {}); });
  if (end.failed) return end;
  if (outcome.ending != Ending::completed)
    return told(message_box, outcome.ending, outcome.message);
  table = std::move(outcome.table);
  return {};
}

ReadEnd test_category_rules(db::Session& session, const loot::FixedInputs& inputs,
                            const MessageBox& message_box, std::string& message) {
  rules::RulesTest test;
  const ReadEnd end = guarded(message_box, [&] {
    test = rules::test_rules(
        session, loot::item_query_clause(loot::category_slots(inputs.category), inputs.rules));
  });
  if (end.failed) return end;
  message = test.message;
  if (!test.passed) return told(message_box, Ending::refused, test.message);
  message_box(test.message);
  return {};
}

ReadEnd check_world(db::Session& session, const MessageBox& message_box,
                    maintenance::CheckReport& report) {
  const ReadEnd end = guarded(message_box, [&] { report = maintenance::check_world(session); });
  if (end.failed || report.clean()) return end;
  return {.ending = Ending::refused};
}

ReadEnd simulate(db::Session& session, const loot::SimulationRequest& request, std::uint64_t seed,
                 const MessageBox& message_box, loot::SimulationRead& read) {
  const ReadEnd end =
      guarded(message_box, [&] { read = loot::simulate_world(session, request, seed); });
  if (end.failed || read.simulation) return end;
  return told(message_box, Ending::refused, read.failure);
}

}  // namespace vl::app
