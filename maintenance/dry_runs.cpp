#include "maintenance/dry_runs.h"

#include <algorithm>

#include "db/sql_literal.h"
#include "loot/catalog.h"
#include "maintenance/drop_removal.h"
#include "maintenance/npc_repair.h"

namespace vl::maintenance {
namespace {

bool custom_name(const std::string& name) {
  return std::any_of(loot::kLootCategories.begin(), loot::kLootCategories.end(),
                     [&](const loot::LootCategory& category) {
                       return name.ends_with("_CUSTOM_" + std::string(category.name));
                     });
}

long long count_of(const db::Value& value) { return value.as<long long>().value_or(0); }

long long count_of(db::Connection& connection, const std::string& sql) {
  db::Recordset rows;
  rows.open(sql, connection);
  const long long count = count_of(rows.field(std::size_t{0}));
  rows.close();
  return count;
}

}  // namespace

RemovalPreview preview_removal(db::Connection& connection, const std::string& range) {
  const std::string matching =
      "FROM lootdrop WHERE lootdrop.name like " + db::sql_text(removal_pattern(range));
  RemovalPreview preview;
  db::Recordset names;
  names.open("SELECT name,COUNT(*) " + matching + " GROUP BY name ORDER BY name", connection);
  for (; !names.eof(); names.move_next()) {
    MatchingName name{names.field(std::size_t{0}).text(), count_of(names.field(std::size_t{1}))};
    name.custom = custom_name(name.name);
    preview.lootdrops += name.lootdrops;
    preview.names.push_back(std::move(name));
  }
  const std::string ids = "(SELECT id " + matching + ")";
  db::Recordset counts;
  counts.open("SELECT (SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id IN " + ids +
                  "),(SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id IN " + ids + ")",
              connection);
  preview.entries = count_of(counts.field(std::size_t{0}));
  preview.links = count_of(counts.field(std::size_t{1}));
  return preview;
}

RepairPreview preview_repair(db::Connection& connection) {
  const std::string npcs = std::string("FROM npc_types WHERE ") + kNpcsWithoutLoot;
  RepairPreview preview;
  db::Recordset rows;
  rows.open("SELECT COUNT(*) " + npcs, connection);
  preview.npcs = count_of(rows.field(std::size_t{0}));
  rows.open("SELECT id,name " + npcs + " ORDER BY id LIMIT " + std::to_string(kDryRunExamples),
            connection);
  for (; !rows.eof(); rows.move_next()) {
    preview.examples.push_back({rows.field(std::size_t{0}).as<std::int64_t>().value_or(0),
                                rows.field(std::size_t{1}).text()});
  }
  rows.open(std::string("SELECT COUNT(*) FROM items WHERE ") + kRepairItems, connection);
  preview.items = count_of(rows.field(std::size_t{0}));
  return preview;
}

long long drops_to_delete(db::Connection& connection, const std::string& range) {
  return count_of(connection, "SELECT COUNT(id) FROM lootdrop WHERE lootdrop.name like " +
                                  db::sql_text(removal_pattern(range)));
}

long long npcs_to_repair(db::Connection& connection) {
  return count_of(connection,
                  std::string("SELECT COUNT(id) FROM npc_types WHERE ") + kNpcsWithoutLoot);
}

}  // namespace vl::maintenance
