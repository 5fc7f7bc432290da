#pragma once
// simulate's look before planning an aim: for each NPC it shows, the drop a
// run aiming for "every NPC drops something on a share of kills" would need,
// solved as such a run solves it but written nowhere.

#include <optional>
#include <vector>

#include "loot/aim_solver.h"
#include "loot/simulation.h"

namespace vl::loot {

struct SimulationAim {
  double percent = 0;  // the aim as the operator gave it: above 0, at most 100
  CustomDrop drop;     // the drop assumed, before any raise of its chance
  ProbabilityColumn column = ProbabilityColumn::whole_numbers;
  // In the order of the simulation's NPCs: the drop needed, the NPC at the aim
  // already, or nullopt for one whose loottable has no row (no drop reaches it).
  std::vector<std::optional<NpcAim>> npcs;
  AimSummary summary;
};

// Solves each NPC of `simulation` (read with read_probability_column) for
// `percent` with a drop of `items` items at `chance` each, under the
// simulation's loot multiplier. Throws std::invalid_argument for an aim out
// of range or a simulation read without the probability column.
SimulationAim aim_simulation(const Simulation& simulation, double percent, int items,
                             double chance);

}  // namespace vl::loot
