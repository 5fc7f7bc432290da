#include "app/dry_run_json.h"

#include <nlohmann/json.hpp>

namespace vl::app {
namespace {

// Names come from the world as stored: bytes that are no UTF-8 are replaced,
// never a reason to fail.
std::string dumped(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string removal_json(const maintenance::RemovalPreview& preview, const std::string& range) {
  nlohmann::ordered_json names = nlohmann::ordered_json::array();
  for (const maintenance::MatchingName& name : preview.names)
    names.push_back({{"name", name.name}, {"lootdrops", name.lootdrops}, {"custom", name.custom}});
  return dumped({{"range", range},
                 {"lootdrops", preview.lootdrops},
                 {"lootdrop_entries", preview.entries},
                 {"loottable_entries", preview.links},
                 {"names", names},
                 {"changed", false}});
}

std::string repair_json(const maintenance::RepairPreview& preview) {
  nlohmann::ordered_json examples = nlohmann::ordered_json::array();
  for (const maintenance::NpcExample& npc : preview.examples)
    examples.push_back({{"npc_id", npc.id}, {"npc_name", npc.name}});
  return dumped({{"npcs_without_loottable", preview.npcs},
                 {"examples", examples},
                 {"repair_items", preview.items},
                 {"changed", false}});
}

}  // namespace vl::app
