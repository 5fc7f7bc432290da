#pragma once
// The footer of a simulation: how many NPCs it covers and their chance of
// anything per kill, mean, lowest and highest. One place for its words and its
// numbers, whichever shell shows it.

#include <string>

#include "loot/simulation.h"

namespace vl::app {

struct SimulationSummary {
  long long npcs = 0;
  double mean = 0, lowest = 0, highest = 0;  // fractions; 0 without NPCs
};
SimulationSummary summary_of(const loot::Simulation& simulation);

// "NPCs: 3; chance of anything per kill: mean 12.5 %, lowest 0 %, highest 25 %"
std::string summary_line(const SimulationSummary& summary);
// The CSV header and row: "npcs,mean_p_any,lowest_p_any,highest_p_any".
std::string summary_csv(const SimulationSummary& summary);
// One line: {"npcs":3,"mean_p_any":..,"lowest_p_any":..,"highest_p_any":..}, full precision.
std::string summary_json(const SimulationSummary& summary);

// A fraction as tables and CSV show it: six significant digits.
std::string fraction_text(double value);

}  // namespace vl::app
