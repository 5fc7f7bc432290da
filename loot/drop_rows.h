#pragma once
// One custom drop of the generation run as rows: its lootdrop, its entries
// (one per drawn item) and its link into the NPC's loottable; and the window's
// statements that write them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

// The drop named `name` of the drawn `items` at `chance` each, linked into
// `loottable` with `probability`, with the lootdrop id `id`.
DropRows compose_drop(const std::string& name, std::span<const std::int32_t> items, double chance,
                      double probability, std::int64_t loottable, std::int64_t id);

// The drop's statements in the window's way, each with its row: the lootdrop,
// its entries, the loottable entry.
db::AnnouncedStatements window_statements(const DropRows& drop);

}  // namespace vl::loot
