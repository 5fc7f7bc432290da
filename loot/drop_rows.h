#pragma once
// One custom drop of the generation run as rows: its lootdrop, its entries
// (one per drawn item) and its link into the NPC's loottable; and the window's
// statements that write them.

#include <cstdint>
#include <vector>

#include "core/program_state.h"
#include "db/session.h"
#include "loot/run_rules.h"

namespace vl::loot {

struct DropRows {
  db::LootdropRow lootdrop;
  std::vector<db::LootdropEntryRow> entries;
  db::LoottableEntryRow link;

  // Gives the drop (and so each of its rows) the lootdrop id `id`.
  void set_lootdrop_id(std::int64_t id);
};

// The drop of the items drawn into drop_item_ids (item_max_count of them, none
// below one), named by custom_lootdrop_name as it is now, with the lootdrop id `id`.
DropRows compose_drop(const ProgramState& state, const RunSettings& settings,
                      std::int64_t loottable, std::int64_t id);

// The drop's statements in the window's way, each with its row: the lootdrop,
// its entries, the loottable entry.
db::AnnouncedStatements window_statements(const DropRows& drop);

}  // namespace vl::loot
