#include "loot/spawn_world.h"

#include <set>
#include <utility>

#include "loot/row_values.h"

namespace vl::loot {
namespace {

using Columns = std::set<std::pair<std::string, std::string>>;  // table, column; lower case

// What the layout has: one SELECT over information_schema for the four tables.
Columns spawn_columns(db::Connection& connection) {
  Columns columns;
  db::for_each_row(connection,
                   "SELECT LOWER(table_name),LOWER(column_name) FROM information_schema.columns "
                   "WHERE table_schema=DATABASE() AND LOWER(table_name) IN "
                   "('spawn2','spawn2_disabled','spawngroup','spawnentry')",
                   [&](const Row& row) { columns.emplace(row[0].text(), row[1].text()); });
  return columns;
}

bool has_table(const Columns& columns, const std::string& table) {
  const auto at = columns.lower_bound({table, ""});
  return at != columns.end() && at->first == table;
}

// The column where the layout has it, else `otherwise` (a constant).
std::string column_or(const Columns& columns, const std::string& table, const char* alias,
                      const std::string& column, const char* otherwise) {
  if (!columns.contains({table, column})) return otherwise;
  return std::string(alias) + ".`" + column + "`";
}

// The spawn groups holding an NPC of the condition, as a derived table g.
std::string groups_of(const std::string& npc_condition) {
  return "(SELECT DISTINCT s.spawngroupID FROM spawnentry s JOIN (SELECT id FROM npc_types "
         "WHERE " +
         npc_condition + ") n ON n.id=s.npcID) g";
}

}  // namespace

MissingSpawnTable::MissingSpawnTable(std::string table)
    : std::runtime_error("the world database has no " + table + " table"),
      table_(std::move(table)) {}

SpawnTables read_spawn_world(db::Connection& connection, const std::string& npc_condition) {
  const Columns columns = spawn_columns(connection);
  for (const char* table : {"spawn2", "spawngroup", "spawnentry"}) {
    if (!has_table(columns, table)) throw MissingSpawnTable(table);
  }
  const bool older = columns.contains({"spawn2", "enabled"});
  if (!older && !has_table(columns, "spawn2_disabled")) throw MissingSpawnTable("spawn2_disabled");

  SpawnTables tables;
  db::for_each_row(
      connection,
      "SELECT e.spawngroupID,e.npcID,e.chance," +
          column_or(columns, "spawnentry", "e", "condition_value_filter", "1") + "," +
          column_or(columns, "spawnentry", "e", "min_time", "0") + "," +
          column_or(columns, "spawnentry", "e", "max_time", "0") + ",t.id IS NOT NULL FROM " +
          groups_of(npc_condition) +
          " JOIN spawnentry e ON e.spawngroupID=g.spawngroupID LEFT JOIN npc_types t ON "
          "t.id=e.npcID",
      [&](const Row& row) {
        tables.entries.push_back({whole(row, 0), whole(row, 1), row[2].as<double>().value_or(0),
                                  whole(row, 3), small(row, 4), small(row, 5), whole(row, 6) != 0});
      });

  // A point is disabled by its instance-0 row; rows of other instances apply
  // to those instances alone.
  const std::string disabled =
      older ? "p.enabled=0"
            : "COALESCE((SELECT MAX(d.disabled) FROM spawn2_disabled d WHERE d.spawn2_id=p.id "
              "AND d.instance_id=0),0)<>0";
  db::for_each_row(
      connection,
      "SELECT p.id,p.spawngroupID,p.respawntime,p.variance," +
          column_or(columns, "spawn2", "p", "_condition", "0") + "," +
          column_or(columns, "spawn2", "p", "cond_value", "1") + "," + disabled +
          ",EXISTS(SELECT 1 FROM spawngroup s WHERE s.id=p.spawngroupID) FROM " +
          groups_of(npc_condition) + " JOIN spawn2 p ON p.spawngroupID=g.spawngroupID",
      [&](const Row& row) {
        tables.points.push_back({whole(row, 0), whole(row, 1), row[2].as<double>().value_or(0),
                                 row[3].as<double>().value_or(0), whole(row, 4), whole(row, 5),
                                 whole(row, 6) != 0, whole(row, 7) != 0});
      });
  return tables;
}

}  // namespace vl::loot
