#pragma once
// simulate --per-hour's words and numbers: what each NPC's spawns bring, the
// range's total, the items per hour one by one, and what the figures assume.
// One place for them, whichever shell shows them.

#include <ostream>
#include <string>

#include "app/output_format.h"
#include "loot/simulation.h"

namespace vl::app {

// After an NPC's line: "; 2 spawn points, 12.5 spawns per hour, 3.2 items per hour".
std::string npc_per_hour_text(const loot::NpcSimulation& row);
// The CSV columns an NPC's row ends with, and their header.
inline constexpr const char* kPerHourCsvHeader = ",spawn_points,spawns_per_hour,items_per_hour";
std::string npc_per_hour_csv(const loot::NpcSimulation& row);
// The members an NPC's JSON record ends with:
// ,"spawn_points":..,"spawns_per_hour":..,"items_per_hour":..
std::string npc_per_hour_json(const loot::NpcSimulation& row);

// The footer: the range's items and spawns per hour, the NPCs that never
// spawn, the points left out and why. Lines, each ended.
std::string per_hour_footer(const loot::Simulation& simulation, const loot::PerHour& per_hour);
// The footer as the JSON object "totals".
std::string per_hour_totals_json(const loot::Simulation& simulation, const loot::PerHour& per_hour);

// --by-item: items per hour per item, largest first, as a table, CSV or JSON.
void write_items_per_hour(std::ostream& out, const loot::Simulation& simulation, Format format);

// What the per-hour figures assume, lines each ended.
std::string per_hour_note();

}  // namespace vl::app
