#pragma once
// The Preview's own aim: the three choices as the window offers them, the
// percent typed for one of them read into an aim or refused with a message,
// and the lines of the summary that tell what the aim came to.

#include <optional>
#include <string>

#include "loot/aim_solver.h"
#include "loot/plan.h"

namespace vl::app {

enum class AimChoice {
  window_settings,  // the main window's probability and chance for every drop, as Execute
  new_drop,         // "The new drop on [ ] % of kills"
  every_npc,        // "Every NPC drops something on [ ] % of kills"
};

// The aim of `choice` with `percent` as typed (decimals allowed), or the
// message that says why there is none; no aim and no message for the main
// window's settings.
struct ChosenAim {
  std::optional<loot::RunAim> aim;
  std::string message;
};
ChosenAim chosen_aim(AimChoice choice, const std::string& percent);

// The percent of NPCs a plan is made with: every NPC of the range is
// considered when every NPC is aimed at, whatever the main window says.
std::string npc_percent_for(const std::optional<loot::RunAim>& aim,
                            const std::string& percent_of_npcs);

// What the plan's aim came to, a line each: the aim, then the achieved rate
// per kill (lowest, mean, highest), the NPCs already at it and the chances
// raised. "" for a plan made with the main window's settings.
std::string aim_summary_text(const loot::Plan& plan);

}  // namespace vl::app
