#pragma once
// The settings of a run as the journal keeps them: a JSON object, whose
// fields the history reads by name ("levels", "category").

#include <cstdint>
#include <optional>
#include <string>

#include "loot/aim_solver.h"

namespace vl::journal {

struct GenerationSettings {
  std::string range, category;
  std::optional<int> list_size;  // a custom item list, else the rules
  std::string rules, npc_percent, chance, probability, items;
  std::optional<std::uint64_t> seed;  // none: drawn from the time of day
  bool atomic = false;
  bool isolate_shared = false;  // shared loottables copied for the range
  std::optional<loot::RunAim> aim =
      std::nullopt;  // the drops' values solved for it, else the settings'
};

// The settings of a generation, and of a deletion of a range, as kept.
std::string generation_settings(const GenerationSettings& settings);
std::string range_settings(const std::string& range);

// The setting `name` of kept `settings` as text (a number as its digits), ""
// when it has none.
std::string setting_of(const std::string& settings, const std::string& name);

// Kept settings for people: "levels 01-10, category armour, rules \"\", ...".
std::string describe_settings(const std::string& settings);

// Settings kept as text by journals of older versions ("levels 01-10,
// category armour, ..."), as kept now: their levels and category, and the
// text to describe them.
std::string settings_of_older_text(const std::string& text);

}  // namespace vl::journal
