#include "db/loot_tables.h"

namespace vl::db {
namespace {

using enum ValueKind;

constexpr TableColumn kLootdropColumns[] = {{"id", integer}, {"name", text}};
constexpr TableColumn kLootdropEntriesColumns[] = {
    {"lootdrop_id", integer}, {"item_id", integer},   {"item_charges", integer},
    {"equip_item", integer},  {"chance", real},       {"minlevel", integer},
    {"maxlevel", integer},    {"multiplier", integer}};
constexpr TableColumn kLoottableColumns[] = {{"id", integer},
                                             {"name", text},
                                             {"mincash", integer},
                                             {"maxcash", integer},
                                             {"avgcoin", integer}};
constexpr TableColumn kLoottableEntriesColumns[] = {
    {"loottable_id", integer}, {"lootdrop_id", integer}, {"multiplier", integer},
    {"probability", real},     {"droplimit", integer},   {"mindrop", integer}};
constexpr TableColumn kNpcColumns[] = {{"id", integer}, {"loottable_id", integer}};

}  // namespace

const LootTable kLootdropTable{"lootdrop", kLootdropColumns};
const LootTable kLootdropEntriesTable{"lootdrop_entries", kLootdropEntriesColumns};
const LootTable kLoottableTable{"loottable", kLoottableColumns};
const LootTable kLoottableEntriesTable{"loottable_entries", kLoottableEntriesColumns};
const LootTable kNpcLoottableColumns{"npc_types", kNpcColumns};

const std::array<const LootTable*, 4> kLootTables{&kLootdropTable, &kLootdropEntriesTable,
                                                  &kLoottableTable, &kLoottableEntriesTable};

std::string column_list(const LootTable& table) {
  std::string list;
  for (const TableColumn& column : table.columns) {
    if (!list.empty()) list += ',';
    list += column.name;
  }
  return list;
}

}  // namespace vl::db
