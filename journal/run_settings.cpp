#include "journal/run_settings.h"

#include <regex>

namespace vl::journal {

std::string setting_of(const std::string& settings, const std::string& name) {
  std::smatch found;
  return std::regex_search(settings, found, std::regex(name + " ([^,]+)")) ? found[1].str() : "";
}

std::string describe_range(const std::string& range) { return "levels " + range; }

std::string describe_generation(const GenerationSettings& settings) {
  std::string text = describe_range(settings.range) + ", category " + settings.category + ", ";
  text += settings.list_size ? "custom list of " + std::to_string(*settings.list_size) + " items"
                             : "rules \"" + settings.rules + "\"";
  text += ", npc percent " + settings.npc_percent + ", chance " + settings.chance +
          ", probability " + settings.probability + ", items " + settings.items;
  text +=
      settings.seed ? ", seed " + std::to_string(*settings.seed) : ", seed from the time of day";
  return text + (settings.atomic ? ", atomic" : "");
}

}  // namespace vl::journal
