#pragma once
// A run's aim as the journal and plan files keep it:
// {"kind":"new_drop","percent":5,"loot_multiplier":1}, or for items per hour
// {"kind":"items_per_hour","items_per_hour":120,"loot_multiplier":1}.

#include <nlohmann/json.hpp>
#include <string>

#include "loot/aim_solver.h"

namespace vl::journal {

nlohmann::json aim_json(const loot::RunAim& aim);

// The aim `json` keeps. Throws std::invalid_argument for an unknown kind, a
// percent not above 0 and at most 100, items per hour not above 0 or a loot
// multiplier below 1, and
// nlohmann::json::exception for a value missing or of another kind.
loot::RunAim aim_of_json(const nlohmann::json& json);

// "a new drop on 5 % of kills", "every NPC dropping something on 30 % of kills",
// "the new drops bringing 120 items per hour".
std::string aim_words(const loot::RunAim& aim);

// What the aim reaches for: "30 %", "120 items per hour".
std::string aim_target_words(const loot::RunAim& aim);

}  // namespace vl::journal
