#include "loot/plan.h"

#include <algorithm>
#include <span>

#include "core/numeric_text.h"
#include "loot/candidates.h"
#include "loot/npc_pass.h"
#include "loot/npc_step.h"
#include "loot/shared_copies.h"

namespace vl::loot {
namespace {

struct Candidates {
  bool query_failed = false;
  std::vector<std::optional<double>> slots;
};

// The candidates as the run stores them in its slots: the custom list's
// leading items, or up to kMaxCandidates rows of the item query.
Candidates read_candidates(GenerateInputs& inputs, db::Connection& connection) {
  Candidates candidates;
  if (inputs.custom_list_active()) {
    const CandidateSlots slots = inputs.candidates();
    const auto first = slots.ids.begin() + 1;
    candidates.slots.assign(first, first + custom_list_length(slots.ids));
    return candidates;
  }
  db::Recordset rows;
  try {
    rows.open(inputs.item_query(), connection);
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

RangeNpcs read_npcs(const Plan& plan, db::Connection& connection) {
  db::Recordset rows;
  rows.open(npc_query(plan.level_low, plan.level_high), connection);
  RangeNpcs range;
  for (; !rows.eof(); rows.move_next()) {
    const auto id = whole_value(rows.field("id"));
    const auto loottable = whole_value(rows.field("loottable_id"));
    range.ids.push_back(id.value_or(0));
    range.npcs.push_back({id && loottable ? *loottable : 0});
  }
  return range;
}

}  // namespace

std::string highest_id(const char* query, db::Connection& connection) {
  db::Recordset rows;
  rows.open(query, connection);
  return rows.field(std::size_t{0}).text();
}

Plan plan_run(GenerateInputs& inputs, db::Connection& connection, Random& random) {
  Plan plan;
  plan.level_low = inputs.level_low();
  plan.level_high = inputs.level_high();
  plan.settings = inputs.percentages();
  plan.items_per_drop = inputs.items_per_drop();
  inputs.choose_category();
  plan.drop_name = custom_lootdrop_name(inputs);

  const Candidates candidates = read_candidates(inputs, connection);
  CandidatePool pool = candidate_pool(std::span(candidates.slots));
  check_candidates(candidates.query_failed, static_cast<int>(candidates.slots.size()),
                   inputs.custom_list_active(), plan.items_per_drop, pool);

  RangeNpcs range = read_npcs(plan, connection);
  plan.npcs_in_range = range.npcs.size();
  std::vector<std::int64_t> loottables;  // of the range's NPCs, before one NPC per loottable
  for (const Npc& npc : range.npcs) loottables.push_back(npc.loottable);
  keep_one_npc_per_loottable(range.npcs);
  plan.npcs_keeping_loottable = static_cast<std::size_t>(std::count_if(
      range.npcs.begin(), range.npcs.end(), [](const Npc& npc) { return npc.loottable != 0; }));
  // Read even when no NPC is in the range: the review script's guard needs it.
  plan.highest_lootdrop_id = highest_id(kHighestLootdropQuery, connection);
  std::vector<std::int32_t> items(static_cast<std::size_t>(plan.items_per_drop));
  const auto drop = [&]() -> DropToFill { return {pool, plan.items_per_drop, items}; };
  for (std::size_t i = 0; i < range.npcs.size(); ++i) {
    if (!npc_step(random, plan.settings.percent_of_npcs, range.npcs[i].loottable, drop)) continue;
    // Like the run, each drop takes the id after the highest one so far.
    const std::int32_t id =
        id_after(plan.drops.empty() ? plan.highest_lootdrop_id
                                    : std::to_string(plan.drops.back().lootdrop_id));
    plan.drops.push_back({range.ids[i], range.npcs[i].loottable, 0, id, items});
  }
  plan.isolate_shared = inputs.isolate_shared;
  if (plan.isolate_shared) plan_copies(plan, range.ids, loottables, connection);
  return plan;
}

}  // namespace vl::loot
