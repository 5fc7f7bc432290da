#pragma once
// The spawn tables' rows a per-hour figure needs, read with a fixed number of
// set-based SELECTs however large the world: the spawn groups that hold an
// NPC of the condition, every entry of those groups and every point that
// uses them. Disabled points come from spawn2_disabled (instance 0) in newer
// layouts and from spawn2.enabled in older ones.

#include <stdexcept>
#include <string>

#include "db/odbc.h"
#include "loot/spawn_rates.h"

namespace vl::loot {

// The world lacks a table the figures need.
class MissingSpawnTable : public std::runtime_error {
 public:
  explicit MissingSpawnTable(std::string table);
  const std::string& table() const { return table_; }

 private:
  std::string table_;
};

// `npc_condition` is a condition on npc_types (see drop_world.h). Throws
// MissingSpawnTable, db::Error.
SpawnTables read_spawn_world(db::Connection& connection, const std::string& npc_condition);

}  // namespace vl::loot
