#include "loot/drop_rows.h"

#include "core/numeric_text.h"

namespace vl::loot {

void DropRows::set_lootdrop_id(std::int64_t id) {
  lootdrop.id = id;
  for (db::LootdropEntryRow& entry : entries) entry.lootdrop_id = id;
  link.lootdrop_id = id;
}

DropRows compose_drop(const std::string& name, std::span<const std::int32_t> items, double chance,
                      double probability, std::int64_t loottable, std::int64_t id) {
  DropRows drop;
  drop.lootdrop = {.id = id, .name = name};
  const std::string chance_text = number_text(chance);
  drop.entries.reserve(items.size());
  for (const std::int32_t item : items)
    drop.entries.push_back({.lootdrop_id = id, .item_id = item, .chance = chance_text});
  drop.link = {
      .loottable_id = loottable, .lootdrop_id = id, .probability = number_text(probability)};
  return drop;
}

db::AnnouncedStatements window_statements(const DropRows& drop) {
  auto statements = std::make_shared<std::vector<db::Announced>>();
  statements->reserve(drop.entries.size() + 2);
  const auto add = [&](db::LootRow row) {
    std::string sql = db::window_statement(row, db::WindowStyle::run);
    statements->push_back({std::move(sql), {std::move(row)}});
  };
  add(drop.lootdrop);
  for (const db::LootdropEntryRow& entry : drop.entries) add(entry);
  add(drop.link);
  return statements;
}

}  // namespace vl::loot
