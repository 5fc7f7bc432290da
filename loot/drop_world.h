#pragma once
// The part of the world a drop-rate figure needs, read with a fixed number of
// set-based SELECTs however many NPCs it covers: the NPCs, their loottables'
// entries, those lootdrops and their entries with which of their items exist
// and their names.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/odbc.h"
#include "loot/drop_rates.h"

namespace vl::loot {

struct WorldNpc {
  std::int64_t id = 0;
  std::string name;
  int level = 0;
  std::int64_t loottable_id = 0;
};

struct DropWorld {
  std::vector<WorldNpc> npcs;  // by id
  LootTables tables;
  std::unordered_map<std::int64_t, std::string> item_names;  // of the items that exist
};

// The NPCs whose level lies from `low` to `high`, and those of the ids given:
// conditions on npc_types for read_drop_world.
std::string npcs_of_levels(int low, int high);
std::string npcs_of_ids(const std::vector<std::int64_t>& ids);

// Reads the NPCs that meet `npc_condition` and the loot tables' rows they use,
// over four SELECTs, row by row; npc_min_level and npc_max_level of
// lootdrop_entries are read where the table has them. `beside`, when given, is
// a second connection on which the lootdrops are read while the NPCs and
// loottables are read on the first: the server's work and the program's
// overlap. Throws db::Error.
DropWorld read_drop_world(db::Connection& connection, const std::string& npc_condition,
                          db::Connection* beside = nullptr);

}  // namespace vl::loot
