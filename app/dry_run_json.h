#pragma once
// delete --dry-run and repair --dry-run as one JSON document each, with the
// same counts and examples as their text, for scripts.

#include <string>

#include "maintenance/dry_runs.h"

namespace vl::app {

// {"range":..,"lootdrops":..,"lootdrop_entries":..,"loottable_entries":..,
//  "names":[{"name":..,"lootdrops":..,"custom":..}],"changed":false}
std::string removal_json(const maintenance::RemovalPreview& preview, const std::string& range);
// {"npcs_without_loottable":..,"examples":[{"npc_id":..,"npc_name":..}],
//  "repair_items":..,"changed":false}
std::string repair_json(const maintenance::RepairPreview& preview);

}  // namespace vl::app
