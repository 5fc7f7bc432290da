#include "loot/plan.h"

#include <algorithm>

#include "loot/plan_recorder.h"
#include "loot/shared_copies.h"

namespace vl::loot {

void PlanRecorder::settled(const RunSettings& settings, const GenerateInputs& inputs) {
  plan_.level_low = inputs.level_low();
  plan_.level_high = inputs.level_high();
  plan_.settings = settings;
  plan_.items_per_drop = inputs.items_per_drop();
  plan_.drop_name = custom_lootdrop_name(inputs);
  plan_.isolate_shared = inputs.isolate_shared;
}

void PlanRecorder::npcs_read(std::span<const Npc> npcs) {
  plan_.npcs_in_range = npcs.size();
  for (const Npc& npc : npcs) {
    npc_ids_.push_back(npc.id);
    loottables_.push_back(npc.loottable);
  }
}

void PlanRecorder::walk_begins(std::span<const Npc> npcs) {
  plan_.npcs_keeping_loottable = static_cast<std::size_t>(
      std::count_if(npcs.begin(), npcs.end(), [](const Npc& npc) { return npc.loottable != 0; }));
  plan_.highest_lootdrop_id = highest_lootdrop_id(highest_id(kHighestLootdropQuery, connection_));
}

void PlanRecorder::drop(const Npc& npc, const RunSettings& settings,
                        std::span<const std::int32_t> items) {
  const std::int32_t id = lootdrop_id_after(plan_.drops.empty() ? plan_.highest_lootdrop_id
                                                                : plan_.drops.back().lootdrop_id);
  plan_.drops.push_back({.npc_id = npc.id,
                         .loottable_id = npc.loottable,
                         .lootdrop_id = id,
                         .item_ids = {items.begin(), items.end()},
                         .chance = settings.chance,
                         .probability = settings.probability});
}

void PlanRecorder::walk_ends() {
  if (plan_.isolate_shared) plan_copies(plan_, npc_ids_, loottables_, connection_);
}

void renumber_drops(Plan& plan, std::optional<std::int64_t> highest) {
  plan.highest_lootdrop_id = highest;
  // Each id after the one before, refused (never wrapped) past the last 32-bit id.
  for (PlannedDrop& drop : plan.drops) highest = drop.lootdrop_id = lootdrop_id_after(highest);
}

db::Value highest_id(const char* query, db::Connection& connection) {
  db::Recordset rows;
  rows.open(query, connection);
  return rows.field(std::size_t{0});
}

std::string shown_highest_id(std::optional<std::int64_t> id) {
  return id ? std::to_string(*id) : "none";
}

Plan plan_run(GenerateInputs& inputs, db::Connection& connection, Random& random) {
  Plan plan;
  ConnectionSource source(connection, inputs);
  PlanRecorder recorder(plan, connection);
  const GenerateEvents no_events;
  Walk(inputs, random, no_events).run(source, recorder);
  return plan;
}

}  // namespace vl::loot
