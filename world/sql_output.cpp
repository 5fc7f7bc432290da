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

}  // namespace

void write_sql(const World& world, const Options& options, std::ostream& out) {
  out << "-- Sample world: --items " << options.items << " --npcs " << options.npcs
      << " --loottables " << options.loottables << " --lootdrops " << options.lootdrops
      << " --custom-drops " << options.custom_drops << " --seed " << options.seed
      << (options.extended_layout ? " --schema extended" : "") << "\n";
  // Table changes commit on their own, so they come before the transaction.
  if (options.extended_layout) out << kExtendedLayoutSql;
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
  out << "COMMIT;\n";
}

}  // namespace vl::world
