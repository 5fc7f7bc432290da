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
#include "loot/plan_per_hour.h"

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

// The same for an aim of items per hour: one probability (and chance) for
// every drop, solved so the drops together bring the aimed items an hour over
// `spawns` (read_plan_spawns). Throws AimOutOfReach when no drop's NPCs ever
// spawn or even probability and chance 100 fall short; std::invalid_argument
// for an aim of another kind.
void aim_plan_per_hour(Plan& plan, const RunAim& aim, const PlanSpawns& spawns,
                       const std::unordered_map<std::int32_t, std::string>& items,
                       ProbabilityColumn column);

// The drop as the closed forms see it: its items that exist in `items`.
CustomDrop custom_drop_of(const PlannedDrop& drop, int loot_multiplier,
                          const std::unordered_map<std::int32_t, std::string>& items);

// What the plan's aim came to, for its summary.
AimSummary aim_summary(const Plan& plan);

}  // namespace vl::loot
