#include "journal/run_settings.h"

namespace vl::journal {

std::string setting_of(const std::string& settings, const std::string& name) {
  const std::string head = name + " ";
  for (auto at = settings.find(head); at != std::string::npos; at = settings.find(head, at + 1)) {
    const auto from = at + head.size();
    const auto end = settings.find(',', from);
    if (end != from && from < settings.size()) return settings.substr(from, end - from);
  }
  return "";
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
  return text + (settings.atomic ? ", atomic" : "") +
         (settings.isolate_shared ? ", shared loottables copied" : "");
}

}  // namespace vl::journal
