#include "loot/drop_rows.h"

#include <algorithm>

#include "core/numeric_text.h"
#include "loot/generation_run.h"

namespace vl::loot {

void DropRows::set_lootdrop_id(std::int64_t id) {
  lootdrop.id = id;
  for (db::LootdropEntryRow& entry : entries) entry.lootdrop_id = id;
  link.lootdrop_id = id;
}

DropRows compose_drop(const ProgramState& state, const RunSettings& settings,
                      std::int64_t loottable, std::int64_t id) {
  DropRows drop;
  drop.lootdrop = {.id = id, .name = custom_lootdrop_name(state)};
  const int items = std::max<int>(state.item_max_count, 0);  // below one: no entries
  const std::string chance = number_text(settings.chance);
  drop.entries.reserve(static_cast<std::size_t>(items));
  for (int k = 1; k <= items; ++k) {
    drop.entries.push_back({.lootdrop_id = id,
                            .item_id = state.drop_item_ids[static_cast<std::size_t>(k)],
                            .chance = chance});
  }
  drop.link = {.loottable_id = loottable,
               .lootdrop_id = id,
               .probability = number_text(settings.probability)};
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
