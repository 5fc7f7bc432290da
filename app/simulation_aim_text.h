#pragma once
// simulate --level-to: the probability each NPC's drop would need, as a table,
// CSV or JSON, and the counts that close it.

#include <ostream>
#include <string>

#include "app/output_format.h"
#include "loot/simulation_aim.h"

namespace vl::app {

// The result on standard output: a table opens with the aim and the drop
// assumed and ends with the counts and the note on what the figures leave
// out; CSV and JSON give the records alone. `summary_only`: the counts alone,
// in the format asked for.
void write_simulation_aim(std::ostream& out, const loot::Simulation& simulation,
                          const loot::SimulationAim& aim, Format format, bool summary_only);

// Standard error's part: ids that name no NPC; for CSV and JSON records also
// the counts and the note on what the figures leave out.
std::string simulation_aim_notes(const loot::Simulation& simulation, const loot::SimulationAim& aim,
                                 Format format, bool summary_only);

}  // namespace vl::app
