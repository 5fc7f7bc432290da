#pragma once
// A plan made for an aim: each drop's probability (and, where that cannot
// reach the aim, its chance) solved over the loot of the range as read, and
// for "every NPC" the NPCs already at the aim left without a drop.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "loot/aim_solver.h"
#include "loot/drop_world.h"
#include "loot/plan.h"

namespace vl::loot {

// Solves the drops of `plan`, made with the run's settings, for `aim`:
// `world` is the loot of the plan's range (plan_range_world), `items` the
// planned items that exist (the plan's details), `column` how the world keeps
// probabilities. A drop none of whose items exists keeps the settings' values.
// For every_npc, the NPCs at the aim, and those whose loottable has no row of
// its own (no drop can lift them), lose their drops and are listed in
// plan.left_alone; the drops left and their copies take their ids again from
// the highest ones read. Throws std::invalid_argument for an aim out of range.
void aim_plan(Plan& plan, const RunAim& aim, const DropWorld& world,
              const std::unordered_map<std::int32_t, std::string>& items, ProbabilityColumn column);

// What the plan's aim came to, for its summary.
AimSummary aim_summary(const Plan& plan);

}  // namespace vl::loot
