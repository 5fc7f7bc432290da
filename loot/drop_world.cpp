#include "loot/drop_world.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <future>

#include "loot/row_values.h"

namespace vl::loot {

std::string npcs_of_levels(int low, int high) {
  std::string condition = "level>=";
  condition += std::to_string(low);
  condition += " AND level<=";
  condition += std::to_string(high);
  return condition;
}

std::string npcs_of_ids(const std::vector<std::int64_t>& ids) {
  std::string condition = "id IN (";
  for (const std::int64_t id : ids) {
    if (condition.back() != '(') condition += ',';
    condition += std::to_string(id);
  }
  return condition + ")";
}

namespace {

// Derived tables of distinct ids rather than IN (subquery): the server joins
// them by key however many NPCs the condition takes.
std::string loottables_of(const std::string& npc_condition) {
  return "(SELECT DISTINCT loottable_id FROM npc_types WHERE " + npc_condition + ") n";
}

// The lootdrops the NPCs' loottables link, their entries and the items those name.
void read_lootdrops_of(db::Connection& connection, const std::string& npc_condition,
                       const std::string& bounds, DropWorld& world) {
  const std::string loottables = loottables_of(npc_condition);
  std::string columns = "d.id,e.item_id,e.chance,e.multiplier";
  for (const char* column : {"npc_min_level", "npc_max_level"}) {
    const bool present = bounds.find(column) != std::string::npos;
    columns += present ? ",e." : ",0";
    if (present) columns += column;
  }
  db::for_each_row(
      connection,
      "SELECT " + columns + ",i.id,i.name FROM (SELECT DISTINCT l.lootdrop_id FROM " + loottables +
          " JOIN loottable_entries l ON l.loottable_id=n.loottable_id) k JOIN lootdrop d ON "
          "d.id=k.lootdrop_id LEFT JOIN lootdrop_entries e ON e.lootdrop_id=d.id LEFT JOIN items "
          "i ON i.id=e.item_id",
      [&](const Row& row) {
        auto& entries = world.tables.lootdrops[whole(row, 0)];
        if (row[1].is_null()) return;
        const std::int64_t item = whole(row, 1);
        entries.push_back(
            {item, row[2].as<double>().value_or(0), small(row, 3), small(row, 4), small(row, 5)});
        if (row[6].is_null() || world.tables.items.contains(item)) return;
        world.tables.items.insert(item);
        world.item_names[item] = row[7].text();
      });
}

}  // namespace

DropWorld read_drop_world(db::Connection& connection, const std::string& npc_condition,
                          db::Connection* beside) {
  DropWorld world;
  std::string bounds;
  db::for_each_row(connection,
                   "SELECT GROUP_CONCAT(LOWER(column_name)) FROM information_schema.columns WHERE "
                   "table_schema=DATABASE() AND LOWER(table_name)='lootdrop_entries' AND "
                   "LOWER(column_name) IN ('npc_min_level','npc_max_level')",
                   [&](const Row& row) { bounds = row[0].text(); });

  // The lootdrops fill members of their own, so they may be read on a thread of their own.
  const auto read_lootdrops = [&world, &bounds, &npc_condition](db::Connection& on) {
    read_lootdrops_of(on, npc_condition, bounds, world);
  };
  std::future<void> lootdrops;
  if (beside) lootdrops = std::async(std::launch::async, read_lootdrops, std::ref(*beside));

  db::for_each_row(
      connection,
      "SELECT id,name,level,loottable_id FROM npc_types WHERE " + npc_condition + " ORDER BY id",
      [&](const Row& row) {
        world.npcs.push_back({whole(row, 0), row[1].text(), small(row, 2), whole(row, 3)});
      });

  db::for_each_row(
      connection,
      "SELECT t.id,e.lootdrop_id,e.multiplier,e.probability,e.droplimit,e.mindrop FROM " +
          loottables_of(npc_condition) +
          " JOIN loottable t ON t.id=n.loottable_id LEFT JOIN loottable_entries e ON "
          "e.loottable_id=t.id",
      [&](const Row& row) {
        auto& entries = world.tables.loottables[whole(row, 0)];
        if (row[1].is_null()) return;
        entries.push_back({whole(row, 1), small(row, 2), row[3].as<double>().value_or(0),
                           small(row, 4), small(row, 5)});
      });

  if (beside) {
    lootdrops.get();
  } else {
    read_lootdrops(connection);
  }
  return world;
}

}  // namespace vl::loot
