#include "loot/simulation_aim.h"

#include <stdexcept>

namespace vl::loot {

SimulationAim aim_simulation(const Simulation& simulation, double percent, int items,
                             double chance) {
  if (!simulation.probability_column)
    throw std::invalid_argument("an aim needs how the world keeps its probabilities");
  SimulationAim aim;
  aim.percent = percent;
  aim.drop = {.items = items, .chance = chance, .loot_multiplier = simulation.loot_multiplier};
  aim.column = *simulation.probability_column;
  aim.npcs.reserve(simulation.npcs.size());
  for (const NpcSimulation& row : simulation.npcs) {
    // The NPC's chance before is the simulation's own figure, taken with the same G.
    std::optional<NpcAim> solved;
    if (row.loottable_exists)
      solved = aim_npc_rate(percent / 100, row.rates->p_any, aim.drop, aim.column);
    aim.summary.add(solved);
    aim.npcs.push_back(std::move(solved));
  }
  return aim;
}

}  // namespace vl::loot
