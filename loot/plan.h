#pragma once
// The plan of a generate run: the NPCs the window's run would choose, the
// lootdrop ids it would take and the items it would draw, made by reading
// only. With the generator seeded the same way, the run then writes exactly
// the plan (unless somebody writes lootdrops in between).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/random.h"
#include "db/odbc.h"
#include "loot/aim_solver.h"
#include "loot/generate_inputs.h"

namespace vl::loot {

struct PlannedDrop {
  std::int64_t npc_id = 0;
  std::int64_t loottable_id = 0;           // the loottable the drop is linked into
  std::int64_t loottable_copied_from = 0;  // its original when that is a copy, else 0
  std::int32_t lootdrop_id = 0;            // planned: the highest id seen + 1, + 2, ...
  std::vector<std::int32_t> item_ids;
  double chance = 0;       // of each of its lootdrop entries, percent
  double probability = 0;  // of its loottable entry, percent
  std::optional<AimedDrop> aimed =
      std::nullopt;  // what its values were solved for, when the run aims

  // The loottable the NPC had when planned: the original of a copy.
  std::int64_t original_loottable() const {
    return loottable_copied_from != 0 ? loottable_copied_from : loottable_id;
  }
};

// A chosen loottable that NPCs outside the range share, copied for the range.
struct LoottableCopy {
  std::int64_t original_id = 0, copy_id = 0;  // copy_id planned like a lootdrop id
  std::vector<std::int64_t> moved_npcs;       // the range's NPCs with the original, by id
  std::size_t outside_npcs = 0;               // NPCs outside the range, who keep the original
};

// An NPC of the range an aimed run leaves without a drop.
struct LeftAlone {
  std::int64_t npc_id = 0;
  std::optional<double>
      p_any;  // already at the aim with this chance per kill; none: no drop can lift it
};

struct Plan {
  std::string level_low, level_high;
  std::string drop_name;
  RunSettings settings;
  int items_per_drop = 0;
  std::optional<std::int64_t> highest_lootdrop_id;  // MAX(id) when planning; none for no rows
  std::size_t npcs_in_range = 0;
  std::size_t npcs_keeping_loottable = 0;  // after the one-NPC-per-loottable rule
  std::vector<PlannedDrop> drops;
  bool isolate_shared = false;
  std::optional<std::int64_t> highest_loottable_id;  // MAX(id) (read only when isolating)
  std::vector<LoottableCopy> copies;                 // in the order of the drops linked into them
  std::optional<RunAim> aim;          // the drops' values solved for it, else the settings' for all
  std::vector<LeftAlone> left_alone;  // by the aim, in the order of the walk

  // Counted from the drops: a negative items per drop draws none.
  std::size_t entries() const {
    std::size_t total = 0;
    for (const PlannedDrop& drop : drops) total += drop.item_ids.size();
    return total;
  }
};

// Plans the run "Execute" would make from `inputs` (percentages, level range,
// category, rules or custom list, items per drop): the run's own walk
// (loot/walk.h), its queries over `connection`, its drops taken by a
// PlanRecorder (loot/plan_recorder.h) instead of written. It reads only: the
// item query (unless a custom list is active), the NPC query, the highest
// lootdrop id once, and the shared loottables when isolating them. It draws
// from `random` exactly as the run does, and reads each input where the run
// reads it (inputs that do not change give the same value each time). Like
// the run, it chooses the category of `inputs`; its candidate slots stay as
// they are.
//
// Throws RunStopped for what the run refuses, with the run's messages;
// db::Error; LootdropIdsExhausted; LoottableIdsExhausted when isolating.
Plan plan_run(GenerateInputs& inputs, db::Connection& connection, Random& random);

// Gives the drops the lootdrop ids after `highest` (MAX(id), nullopt for none),
// in their order. Throws LootdropIdsExhausted past the last 32-bit id.
void renumber_drops(Plan& plan, std::optional<std::int64_t> highest);

// The first field of a "SELECT MAX(id) FROM ..." query: the one value it
// gives. Throws db::Error.
db::Value highest_id(const char* query, db::Connection& connection);

// A highest id as messages and script comments show it: "none" for an empty table.
std::string shown_highest_id(std::optional<std::int64_t> id);

}  // namespace vl::loot
