#pragma once
// The settings of a run as the journal keeps them: one line of "name value"
// pairs, which the history reads back by name ("levels", "category").

#include <cstdint>
#include <optional>
#include <string>

namespace vl::journal {

struct GenerationSettings {
  std::string range, category;
  std::optional<int> list_size;  // a custom item list, else the rules
  std::string rules, npc_percent, chance, probability, items;
  std::optional<std::uint64_t> seed;  // none: drawn from the time of day
  bool atomic = false;
  bool isolate_shared = false;  // shared loottables copied for the range
};

std::string describe_generation(const GenerationSettings& settings);
std::string describe_range(const std::string& range);  // delete

// The value of the setting `name` in `settings`, "" when it has none.
std::string setting_of(const std::string& settings, const std::string& name);

}  // namespace vl::journal
