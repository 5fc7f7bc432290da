#pragma once
// simulate's figures as a table, CSV or JSON.

#include <ostream>
#include <string>

#include "app/output_format.h"
#include "loot/simulation.h"

namespace vl::app {

// What simulate prints: the result on standard output (a table ends with the
// summary and the note on what the figures leave out; JSON is one line), the
// notes on standard error (ids that name no NPC; for CSV and JSON also that
// note). `summary_only`: the summary alone, in the format asked for;
// `by_item`, with per-hour figures: the items per hour one by one instead of the NPCs.
void write_simulation(std::ostream& out, const loot::Simulation& simulation, Format format,
                      bool summary_only = false, bool by_item = false);
std::string simulation_notes(const loot::Simulation& simulation, Format format);

// What the figures leave out, for the loot multiplier they were computed with.
std::string left_out_note(int loot_multiplier);

}  // namespace vl::app
