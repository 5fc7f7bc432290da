// The world as SQL: the layout change first, then every table in one transaction.

#include <ostream>
#include <string>

#include "db/loot_tables.h"
#include "sql_rows.h"
#include "world/extended_layout.h"
#include "world/world_model.h"

namespace vl::world {
namespace {

// "INSERT INTO t (its columns) VALUES" for a loot table.
std::string head(const db::LootTable& table) {
  return "INSERT INTO " + std::string(table.name) + " (" + db::column_list(table) + ") VALUES";
}

void write_spawns(const World& world, const Options& options, std::ostream& out) {
  {
    BatchedInsert insert(out, "INSERT INTO spawngroup (id,name,spawn_limit) VALUES");
    for (const auto& g : world.spawn_groups) insert.add(row(g.id, g.name, g.spawn_limit));
  }
  {
    BatchedInsert insert(out,
                         "INSERT INTO spawnentry (spawngroupID,npcID,chance,condition_value_filter,"
                         "min_time,max_time) VALUES");
    for (const auto& e : world.spawn_entries) {
      insert.add(
          row(e.group_id, e.npc_id, e.chance, e.condition_value_filter, e.min_time, e.max_time));
    }
  }
  const bool older = options.older_spawn_layout;
  {
    BatchedInsert insert(out, older ? "INSERT INTO spawn2 (id,spawngroupID,zone,respawntime,"
                                      "variance,_condition,cond_value,enabled) VALUES"
                                    : "INSERT INTO spawn2 (id,spawngroupID,zone,respawntime,"
                                      "variance,_condition,cond_value) VALUES");
    for (const auto& p : world.spawn_points) {
      const std::string zone = "zone_" + std::to_string(p.group_id % 40);
      insert.add(older ? row(p.id, p.group_id, zone, p.respawntime, p.variance, p.condition,
                             p.cond_value, p.disabled ? 0 : 1)
                       : row(p.id, p.group_id, zone, p.respawntime, p.variance, p.condition,
                             p.cond_value));
    }
  }
  if (older) return;
  BatchedInsert insert(out, "INSERT INTO spawn2_disabled (spawn2_id,instance_id,disabled) VALUES");
  for (const auto& p : world.spawn_points) {
    if (p.disabled) insert.add(row(p.id, 0, 1));
  }
}

}  // namespace

void write_sql(const World& world, const Options& options, std::ostream& out) {
  out << "-- Sample world: --items " << options.items << " --npcs " << options.npcs
      << " --loottables " << options.loottables << " --lootdrops " << options.lootdrops
      << " --custom-drops " << options.custom_drops << " --seed " << options.seed
      << (options.extended_layout ? " --schema extended" : "") << "\n";
  // Table changes commit on their own, so they come before the transaction.
  if (options.extended_layout) out << kExtendedLayoutSql;
  if (options.older_spawn_layout) out << kOlderSpawnLayoutSql;
  out << "START TRANSACTION;\n";
  {
    BatchedInsert insert(out,
                         "INSERT INTO items (id,name,itemtype,reqlevel,ac,damage,delay,aint,awis,"
                         "astr,asta,adex,aagi,acha,hp,mana,weight,price) VALUES");
    for (const auto& i : world.items) {
      const auto& a = i.attributes;
      insert.add(row(i.id, i.name, i.itemtype, i.reqlevel, i.ac, i.damage, i.delay, a[0], a[1],
                     a[2], a[3], a[4], a[5], a[6], i.hp, i.mana, i.weight, i.price));
    }
  }
  {
    BatchedInsert insert(out,
                         "INSERT INTO npc_types (id,name,level,race,class,hp,loottable_id) VALUES");
    for (const auto& n : world.npcs) {
      insert.add(row(n.id, n.name, n.level, n.race, n.npc_class, n.hp, n.loottable_id));
    }
  }
  {
    BatchedInsert insert(out, head(db::kLoottableTable));
    for (const auto& t : world.loottables) {
      insert.add(row(t.id, t.name, t.mincash, t.maxcash, t.avgcoin));
    }
  }
  {
    BatchedInsert insert(out, head(db::kLoottableEntriesTable));
    for (const auto& e : world.loottable_entries) {
      insert.add(
          row(e.loottable_id, e.lootdrop_id, e.multiplier, e.probability, e.droplimit, e.mindrop));
    }
  }
  {
    BatchedInsert insert(out, head(db::kLootdropTable));
    for (const auto& d : world.lootdrops) insert.add(row(d.id, d.name));
  }
  {
    BatchedInsert insert(out, head(db::kLootdropEntriesTable));
    for (const auto& e : world.lootdrop_entries) {
      insert.add(row(e.lootdrop_id, e.item_id, e.item_charges, e.equip_item, e.chance, e.minlevel,
                     e.maxlevel, e.multiplier));
    }
  }
  write_spawns(world, options, out);
  out << "COMMIT;\n";
}

}  // namespace vl::world
