#include "loot/plan_details.h"

#include <algorithm>
#include <functional>
#include <set>

namespace vl::loot {
namespace {

NpcFacts npc_facts(db::Recordset& rows) {
  return {rows.field("id").as<std::int64_t>().value_or(0), rows.field("name").text(),
          rows.field("level").as<std::int64_t>().value_or(0),
          rows.field("loottable_id").as<std::int64_t>().value_or(0)};
}

// Keeps statements short on plans of any size.
constexpr std::size_t kIdsPerLookup = 2000;

}  // namespace

std::string outside_the_range(const Plan& plan) {
  return "NOT (level>=" + plan.level_low + " AND level<=" + plan.level_high +
         " AND level IS NOT NULL)";
}

void for_each_row_of(db::Connection& connection, const std::set<std::int64_t>& ids,
                     const std::string& head, const std::string& tail,
                     const std::function<void(db::Recordset&)>& row) {
  auto next = ids.begin();
  while (next != ids.end()) {
    std::string list;
    for (std::size_t n = 0; n < kIdsPerLookup && next != ids.end(); ++n, ++next) {
      if (!list.empty()) list += ',';
      list += std::to_string(*next);
    }
    db::Recordset rows;
    rows.open(std::string(head).append("(").append(list).append(")").append(tail), connection);
    for (; !rows.eof(); rows.move_next()) row(rows);
  }
}

std::unordered_map<std::int32_t, std::string> planned_items(const Plan& plan,
                                                            db::Connection& connection) {
  std::set<std::int64_t> items;
  for (const PlannedDrop& drop : plan.drops)
    items.insert(drop.item_ids.begin(), drop.item_ids.end());
  std::unordered_map<std::int32_t, std::string> names;
  for_each_row_of(connection, items, "SELECT id,name FROM items WHERE id IN ", "",
                  [&](db::Recordset& rows) {
                    const auto id = rows.field("id").as<std::int64_t>().value_or(0);
                    names[static_cast<std::int32_t>(id)] = rows.field("name").text();
                  });
  return names;
}

PlanDetails plan_details(const Plan& plan, db::Connection& connection) {
  std::set<std::int64_t> npcs, loottables;
  for (const PlannedDrop& drop : plan.drops) {
    npcs.insert(drop.npc_id);
    loottables.insert(drop.loottable_id);
  }

  PlanDetails details;
  for_each_row_of(connection, npcs, "SELECT id,name,level,loottable_id FROM npc_types WHERE id IN ",
                  "", [&](db::Recordset& rows) {
                    NpcFacts facts = npc_facts(rows);
                    details.npcs[facts.id] = std::move(facts);
                  });
  details.items = planned_items(plan, connection);

  // NPCs of the range hold a level from level_low to level_high; every other
  // NPC, one without a level included, is outside it.
  std::unordered_map<std::int64_t, SharedLoottable> shared;
  for_each_row_of(connection, loottables,
                  "SELECT id,name,level,loottable_id FROM npc_types WHERE loottable_id IN ",
                  " AND " + outside_the_range(plan) + " ORDER BY id", [&](db::Recordset& rows) {
                    const auto loottable =
                        rows.field("loottable_id").as<std::int64_t>().value_or(0);
                    SharedLoottable& entry = shared[loottable];
                    entry.loottable_id = loottable;
                    if (++entry.outside_npcs <= kSharedExamples) {
                      entry.examples.push_back(npc_facts(rows));
                    }
                  });
  for (auto& [id, entry] : shared) details.shared.push_back(std::move(entry));
  std::sort(details.shared.begin(), details.shared.end(),
            [](const auto& a, const auto& b) { return a.loottable_id < b.loottable_id; });
  return details;
}

const NpcFacts& facts_of(const PlanDetails& details, std::int64_t npc_id) {
  static const NpcFacts kUnknown;
  const auto found = details.npcs.find(npc_id);
  return found == details.npcs.end() ? kUnknown : found->second;
}

std::string item_name(const PlanDetails& details, std::int32_t id) {
  const auto found = details.items.find(id);
  return found == details.items.end() ? std::string() : found->second;
}

std::map<std::int32_t, std::size_t> missing_items(const Plan& plan, const PlanDetails& details) {
  std::map<std::int32_t, std::size_t> drops_of_item;
  for (const PlannedDrop& drop : plan.drops) {
    for (const std::int32_t item : drop.item_ids) {
      if (!details.items.contains(item)) ++drops_of_item[item];
    }
  }
  return drops_of_item;
}

}  // namespace vl::loot
