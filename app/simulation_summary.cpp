#include "app/simulation_summary.h"

#include <fmt/core.h>

#include <algorithm>

namespace vl::app {

SimulationSummary summary_of(const loot::Simulation& simulation) {
  SimulationSummary summary;
  if (simulation.npcs.empty()) return summary;
  summary.lowest = summary.highest = simulation.npcs.front().rates->p_any;
  double total = 0;
  for (const loot::NpcSimulation& row : simulation.npcs) {
    const double chance = row.rates->p_any;
    total += chance;
    summary.lowest = std::min(summary.lowest, chance);
    summary.highest = std::max(summary.highest, chance);
  }
  summary.npcs = static_cast<long long>(simulation.npcs.size());
  summary.mean = total / static_cast<double>(summary.npcs);
  return summary;
}

std::string fraction_text(double value) { return fmt::format("{:.6g}", value); }

std::string summary_line(const SimulationSummary& summary) {
  return fmt::format("NPCs: {}; chance of anything per kill: mean {} %, lowest {} %, highest {} %",
                     summary.npcs, fraction_text(summary.mean * 100),
                     fraction_text(summary.lowest * 100), fraction_text(summary.highest * 100));
}

std::string summary_csv(const SimulationSummary& summary) {
  return fmt::format("npcs,mean_p_any,lowest_p_any,highest_p_any\n{},{},{},{}\n", summary.npcs,
                     fraction_text(summary.mean), fraction_text(summary.lowest),
                     fraction_text(summary.highest));
}

std::string summary_json(const SimulationSummary& summary) {
  return fmt::format(R"({{"npcs":{},"mean_p_any":{},"lowest_p_any":{},"highest_p_any":{}}})",
                     summary.npcs, summary.mean, summary.lowest, summary.highest) +
         "\n";
}

}  // namespace vl::app
