#include "journal/aim_settings.h"

#include <stdexcept>

#include "core/numeric_text.h"

namespace vl::journal {
namespace {

constexpr const char* kNewDrop = "new_drop";
constexpr const char* kEveryNpc = "every_npc";

}  // namespace

nlohmann::json aim_json(const loot::RunAim& aim) {
  return {{"kind", aim.kind == loot::RunAim::Kind::new_drop ? kNewDrop : kEveryNpc},
          {"percent", aim.percent},
          {"loot_multiplier", aim.loot_multiplier}};
}

loot::RunAim aim_of_json(const nlohmann::json& json) {
  loot::RunAim aim;
  const std::string kind = json.at("kind").get<std::string>();
  if (kind != kNewDrop && kind != kEveryNpc)
    throw std::invalid_argument("its aim's kind \"" + kind + "\" is none this program knows");
  aim.kind = kind == kNewDrop ? loot::RunAim::Kind::new_drop : loot::RunAim::Kind::every_npc;
  aim.percent = json.at("percent").get<double>();
  aim.loot_multiplier = json.at("loot_multiplier").get<int>();
  if (!(aim.percent > 0 && aim.percent <= 100))
    throw std::invalid_argument("its aim's percent is not above 0 and at most 100");
  if (aim.loot_multiplier < 1) throw std::invalid_argument("its aim's loot multiplier is below 1");
  return aim;
}

std::string aim_words(const loot::RunAim& aim) {
  const std::string percent = number_text(aim.percent) + " % of kills";
  return aim.kind == loot::RunAim::Kind::new_drop ? "a new drop on " + percent
                                                  : "every NPC dropping something on " + percent;
}

}  // namespace vl::journal
