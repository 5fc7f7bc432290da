#include "loot/plan.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "core/numeric_text.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/generation_run.h"
#include "loot/npc_pass.h"

namespace vl::loot {
namespace {

struct Candidates {
  bool query_failed = false;
  std::vector<std::optional<double>> slots;
};

// The candidates as the run stores them in its slots: the custom list's
// leading items, or up to kMaxCandidates rows of the item query.
Candidates read_candidates(const ProgramState& state, db::Connection& connection) {
  Candidates candidates;
  if (state.custom_list_active) {
    const auto first = state.custom_item_ids.begin() + 1;
    candidates.slots.assign(first, first + custom_list_length(state));
    return candidates;
  }
  db::Recordset rows;
  try {
    rows.open(item_query(state), connection);
  } catch (const db::Error&) {
    candidates.query_failed = true;
    return candidates;
  }
  for (; !rows.eof() && candidates.slots.size() < kMaxCandidates; rows.move_next()) {
    const db::Value& id = rows.field(std::size_t{0});
    candidates.slots.push_back(id.is_null() ? std::nullopt
                                            : std::optional<double>(numeric_value(id.text())));
  }
  return candidates;
}

struct RangeNpcs {
  std::vector<std::int64_t> ids;  // 0 where the id is NULL
  std::vector<Npc> npcs;          // as the run walks them
};

RangeNpcs read_npcs(const ProgramState& state, db::Connection& connection) {
  db::Recordset rows;
  rows.open(npc_query(state), connection);
  RangeNpcs range;
  for (; !rows.eof(); rows.move_next()) {
    const auto id = whole_value(rows.field("id"));
    const auto loottable = whole_value(rows.field("loottable_id"));
    range.ids.push_back(id.value_or(0));
    range.npcs.push_back({id && loottable ? *loottable : 0});
  }
  return range;
}

std::string highest_lootdrop_id(db::Connection& connection) {
  db::Recordset rows;
  rows.open(kHighestLootdropQuery, connection);
  return rows.field(std::size_t{0}).text();
}

}  // namespace

Plan plan_run(ProgramState& state, db::Connection& connection, Random& random) {
  Plan plan;
  plan.level_low = state.level_low;
  plan.level_high = state.level_high;
  plan.settings = read_settings(state.form1);
  plan.items_per_drop = state.item_max_count;
  Generate_item_class_sql(state);
  plan.drop_name = custom_lootdrop_name(state);

  const Candidates candidates = read_candidates(state, connection);
  CandidatePool pool = candidate_pool(std::span(candidates.slots));
  check_candidates(candidates.query_failed, static_cast<int>(candidates.slots.size()),
                   state.custom_list_active, plan.items_per_drop, pool);

  RangeNpcs range = read_npcs(state, connection);
  plan.npcs_in_range = range.npcs.size();
  keep_one_npc_per_loottable(range.npcs);
  plan.npcs_keeping_loottable = static_cast<std::size_t>(std::count_if(
      range.npcs.begin(), range.npcs.end(), [](const Npc& npc) { return npc.loottable != 0; }));
  // Read even when no NPC is in the range: the review script's guard needs it.
  plan.highest_lootdrop_id = highest_lootdrop_id(connection);
  std::vector<std::int32_t> items(static_cast<std::size_t>(plan.items_per_drop));
  for (std::size_t i = 0; i < range.npcs.size(); ++i) {
    const int roll = static_cast<int>(std::floor(static_cast<double>(random.next()) * 100)) + 1;
    if (roll >= plan.settings.percent_of_npcs || range.npcs[i].loottable == 0) continue;
    // Like the run, each drop takes the id after the highest one so far.
    const std::int32_t id =
        id_after(plan.drops.empty() ? plan.highest_lootdrop_id
                                    : std::to_string(plan.drops.back().lootdrop_id));
    draw_distinct_ids(pool, plan.items_per_drop, random, items);
    plan.drops.push_back({range.ids[i], range.npcs[i].loottable, id, items});
  }
  return plan;
}

}  // namespace vl::loot
