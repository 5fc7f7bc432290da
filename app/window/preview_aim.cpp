#include "app/window/preview_aim.h"

#include <fmt/core.h>

#include "core/numeric_text.h"
#include "journal/aim_settings.h"
#include "loot/plan_aims.h"

namespace vl::app {
namespace {

std::string percent_of(double fraction) { return fmt::format("{:.2f} %", 100 * fraction); }

std::string raised_text(const loot::AimSummary& summary, const loot::RunAim& aim) {
  if (summary.raised_to.empty()) return "no chance raised";
  std::string text;
  for (const auto& [chance, drops] : summary.raised_to)
    text +=
        fmt::format("{}chance raised to {} for {} drops", text.empty() ? "" : ", ", chance, drops);
  return text + " to reach " + number_text(aim.percent) + " %";
}

}  // namespace

ChosenAim chosen_aim(AimChoice choice, const std::string& percent) {
  if (choice == AimChoice::window_settings) return {};
  const std::optional<double> value = whole_text_number(percent);
  // Written as NOT (inside) so that a NaN is refused as well.
  if (!value || !(*value > 0 && *value <= 100))
    return {std::nullopt,
            "The percent of kills to aim at must be a number above 0 and at most "
            "100 (decimals allowed), not \"" +
                percent + "\": no plan was made."};
  return {loot::RunAim{.kind = choice == AimChoice::new_drop ? loot::RunAim::Kind::new_drop
                                                             : loot::RunAim::Kind::every_npc,
                       .percent = *value},
          ""};
}

std::string npc_percent_for(const std::optional<loot::RunAim>& aim,
                            const std::string& percent_of_npcs) {
  // The walk skips an NPC whose roll (1 to 100) reaches the percent: only 101 skips none.
  return aim && aim->kind == loot::RunAim::Kind::every_npc ? "101" : percent_of_npcs;
}

std::string aim_summary_text(const loot::Plan& plan) {
  if (!plan.aim) return "";
  const loot::RunAim& aim = *plan.aim;
  const bool every_npc = aim.kind == loot::RunAim::Kind::every_npc;
  const loot::AimSummary summary = loot::aim_summary(plan);
  std::string text = "Aim: " + journal::aim_words(aim);
  if (every_npc)
    text +=
        "; every NPC of the range is considered (the percent of NPCs taken as 101, so none is "
        "skipped)";
  text += "\nAchieved per kill: ";
  text += summary.drops == 0
              ? "no drop solved"
              : fmt::format("lowest {}, mean {}, highest {}", percent_of(summary.lowest),
                            percent_of(summary.mean()), percent_of(summary.highest));
  if (every_npc) text += fmt::format("; NPCs already at the aim: {}", summary.already_at_aim);
  text += "; " + raised_text(summary, aim);
  if (summary.cannot_drop > 0)
    text += every_npc ? fmt::format("; NPCs no drop can lift: {}", summary.cannot_drop)
                      : fmt::format(
                            "; drops none of whose items exists, left at the main "
                            "window's values: {}",
                            summary.cannot_drop);
  return text + "\n";
}

}  // namespace vl::app
