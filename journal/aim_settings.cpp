#include "journal/aim_settings.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "core/numeric_text.h"

namespace vl::journal {
namespace {

using Kind = loot::RunAim::Kind;

constexpr std::pair<Kind, const char*> kKindNames[] = {
    {Kind::new_drop, "new_drop"},
    {Kind::every_npc, "every_npc"},
    {Kind::items_per_hour, "items_per_hour"},
};

const char* kind_name(Kind kind) {
  for (const auto& [known, name] : kKindNames)
    if (known == kind) return name;
  return "";
}

}  // namespace

nlohmann::json aim_json(const loot::RunAim& aim) {
  nlohmann::json json = {{"kind", kind_name(aim.kind)}};
  if (aim.per_kill())
    json["percent"] = aim.percent;
  else
    json["items_per_hour"] = aim.items_per_hour;
  json["loot_multiplier"] = aim.loot_multiplier;
  return json;
}

loot::RunAim aim_of_json(const nlohmann::json& json) {
  loot::RunAim aim;
  const std::string kind = json.at("kind").get<std::string>();
  const auto* known = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                   [&](const auto& entry) { return kind == entry.second; });
  if (known == std::end(kKindNames))
    throw std::invalid_argument("its aim's kind \"" + kind + "\" is none this program knows");
  aim.kind = known->first;
  if (aim.per_kill()) {
    aim.percent = json.at("percent").get<double>();
    if (!(aim.percent > 0 && aim.percent <= 100))
      throw std::invalid_argument("its aim's percent is not above 0 and at most 100");
  } else {
    aim.items_per_hour = json.at("items_per_hour").get<double>();
    if (!(aim.items_per_hour > 0 && std::isfinite(aim.items_per_hour)))
      throw std::invalid_argument("its aim's items per hour are not above 0");
  }
  aim.loot_multiplier = json.at("loot_multiplier").get<int>();
  if (aim.loot_multiplier < 1) throw std::invalid_argument("its aim's loot multiplier is below 1");
  return aim;
}

std::string aim_target_words(const loot::RunAim& aim) {
  return aim.per_kill() ? number_text(aim.percent) + " %"
                        : number_text(aim.items_per_hour) + " items per hour";
}

std::string aim_words(const loot::RunAim& aim) {
  const std::string percent = number_text(aim.percent) + " % of kills";
  switch (aim.kind) {
    case Kind::new_drop:
      return "a new drop on " + percent;
    case Kind::every_npc:
      return "every NPC dropping something on " + percent;
    case Kind::items_per_hour:
      return "the new drops bringing " + aim_target_words(aim);
  }
  return "";
}

}  // namespace vl::journal
