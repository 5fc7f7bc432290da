#include "loot/drop_world.h"

#include <algorithm>

#include "core/numeric_text.h"
#include "loot/run_rules.h"

namespace vl::loot {
namespace {

constexpr const char* kLevelBoundColumns[] = {"npc_min_level", "npc_max_level"};

template <typename Row>
void for_each_row(db::Connection& connection, const std::string& sql, Row&& row) {
  db::Recordset rows;
  rows.open(sql, connection);
  for (; !rows.eof(); rows.move_next()) row(rows);
}

std::int64_t whole(const db::Recordset& rows, std::size_t column) {
  return whole_value(rows.field(column)).value_or(0);
}

int small(const db::Recordset& rows, std::size_t column) {
  return static_cast<int>(std::clamp<std::int64_t>(whole(rows, column), -1'000'000, 1'000'000));
}

}  // namespace

std::string npcs_of_levels(int low, int high) {
  return "level>=" + std::to_string(low) + " AND level<=" + std::to_string(high);
}

std::string npcs_of_ids(const std::vector<std::int64_t>& ids) {
  std::string list;
  for (const std::int64_t id : ids) list += (list.empty() ? "" : ",") + std::to_string(id);
  return "id IN (" + list + ")";
}

DropWorld read_drop_world(db::Connection& connection, const std::string& npc_condition) {
  DropWorld world;
  std::vector<std::string> bounds;
  for_each_row(connection,
               "SELECT LOWER(column_name) FROM information_schema.columns WHERE "
               "table_schema=DATABASE() AND LOWER(table_name)='lootdrop_entries' AND "
               "LOWER(column_name) IN ('npc_min_level','npc_max_level')",
               [&](db::Recordset& rows) { bounds.push_back(rows.field(std::size_t{0}).text()); });
  const auto has = [&](const char* column) {
    return std::find(bounds.begin(), bounds.end(), column) != bounds.end();
  };

  for_each_row(
      connection,
      "SELECT id,name,level,loottable_id FROM npc_types WHERE " + npc_condition + " ORDER BY id",
      [&](db::Recordset& rows) {
        world.npcs.push_back(
            {whole(rows, 0), rows.field(std::size_t{1}).text(), small(rows, 2), whole(rows, 3)});
      });

  const std::string loottables = "SELECT loottable_id FROM npc_types WHERE " + npc_condition;
  for_each_row(connection,
               "SELECT t.id,e.lootdrop_id,e.multiplier,e.probability,e.droplimit,e.mindrop FROM "
               "loottable t LEFT JOIN loottable_entries e ON e.loottable_id=t.id WHERE t.id IN (" +
                   loottables + ")",
               [&](db::Recordset& rows) {
                 auto& entries = world.tables.loottables[whole(rows, 0)];
                 if (rows.field(std::size_t{1}).is_null()) return;
                 entries.push_back({whole(rows, 1), small(rows, 2),
                                    numeric_value(rows.field(std::size_t{3}).text()),
                                    small(rows, 4), small(rows, 5)});
               });

  const std::string lootdrops =
      "SELECT lootdrop_id FROM loottable_entries WHERE loottable_id IN (" + loottables + ")";
  std::string columns = "d.id,e.item_id,e.chance,e.multiplier";
  for (const char* column : kLevelBoundColumns)
    columns += has(column) ? std::string(",e.") + column : std::string(",0");
  for_each_row(
      connection,
      "SELECT " + columns +
          " FROM lootdrop d LEFT JOIN lootdrop_entries e ON e.lootdrop_id=d.id WHERE "
          "d.id IN (" +
          lootdrops + ")",
      [&](db::Recordset& rows) {
        auto& entries = world.tables.lootdrops[whole(rows, 0)];
        if (rows.field(std::size_t{1}).is_null()) return;
        entries.push_back({whole(rows, 1), numeric_value(rows.field(std::size_t{2}).text()),
                           small(rows, 3), small(rows, 4), small(rows, 5)});
      });

  for_each_row(connection,
               "SELECT id,name FROM items WHERE id IN (SELECT item_id FROM lootdrop_entries "
               "WHERE lootdrop_id IN (" +
                   lootdrops + "))",
               [&](db::Recordset& rows) {
                 const std::int64_t id = whole(rows, 0);
                 world.tables.items.insert(id);
                 world.item_names[id] = rows.field(std::size_t{1}).text();
               });
  return world;
}

}  // namespace vl::loot
