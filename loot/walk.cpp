#include "loot/walk.h"

#include <algorithm>

#include "db/database.h"
#include "loot/candidates.h"
#include "loot/npc_step.h"

namespace vl::loot {

void Walk::tell(GenerateStage stage) const {
  if (events_.progress) events_.progress(stage, counts);
}

std::vector<Npc> Walk::read_npcs(WalkSource& source) {
  tell(GenerateStage::reading_npcs);
  db::Recordset& rows = source.npc_rows(npc_query(inputs_.level_low(), inputs_.level_high()));
  std::vector<Npc> npcs;
  npcs.reserve(static_cast<std::size_t>(std::max(rows.record_count(), 0)));
  for (; !rows.eof(); rows.move_next()) {
    // Read as the window reads them, so that a plan holds the NPCs the window's run would choose.
    const auto id = window_whole_number(rows.field("id"));
    const auto loottable = window_whole_number(rows.field("loottable_id"));
    // An NPC without an id or loottable takes part in nothing but the walk.
    npcs.push_back({.loottable = id && loottable ? *loottable : 0, .id = id.value_or(0)});
  }
  rows.close();
  return npcs;
}

void Walk::run(WalkSource& source, DropSink& sink) {
  const RunSettings settings = inputs_.percentages();
  inputs_.choose_category();
  sink.settled(settings, inputs_);
  CandidatePoolCache candidates;
  const bool query_failed =
      load_candidates(source, random_, inputs_, events_) == CandidateLoad::item_query_failed;
  const CandidateSlots slots = source.candidate_slots();
  check_candidates(query_failed, slots.count, inputs_.custom_list_active(),
                   inputs_.items_per_drop(), candidates.current(slots));
  std::vector<Npc> npcs = read_npcs(source);
  sink.npcs_read(npcs);
  keep_one_npc_per_loottable(npcs);

  sink.walk_begins(npcs);
  counts.npcs = npcs.size();
  tell(GenerateStage::walking);
  const std::span<std::int32_t> room = sink.item_room();
  CandidatePool* const fixed =
      source.candidates_may_change() ? nullptr : &candidates.current(slots);
  for (const Npc& npc : npcs) {
    ++counts.walked;
    tell(GenerateStage::npc);
    int items = 0;
    const bool chosen =
        npc_step(random_, settings.percent_of_npcs, npc.loottable, [&]() -> DropToFill {
          items = inputs_.items_per_drop();
          return {fixed ? *fixed : candidates.current(source.candidate_slots()), items, room};
        });
    if (chosen) sink.drop(npc, settings, room.first(static_cast<std::size_t>(std::max(items, 0))));
  }
  sink.walk_ends();
}

db::Recordset* SessionSource::item_rows(const std::string& sql) {
  session_.current_sql = sql;
  db::run_query(session_, session_.current_sql);
  return session_.record_count < 0 ? nullptr : session_.db_recordset.get();
}

db::Recordset& SessionSource::npc_rows(const std::string& sql) {
  db::open_database(session_);
  session_.current_sql = sql;
  db::open_recordset(session_);
  return *session_.db_recordset;
}

ConnectionSource::ConnectionSource(db::Connection& connection, GenerateInputs& inputs)
    : connection_(connection), slots_(inputs.candidates().ids) {
  slots_.resize(kCustomItemSlots);
}

db::Recordset* ConnectionSource::item_rows(const std::string& sql) {
  try {
    rows_.open(sql, connection_);
  } catch (const db::Error&) {
    return nullptr;
  }
  return &rows_;
}

db::Recordset& ConnectionSource::npc_rows(const std::string& sql) {
  rows_.open(sql, connection_);
  return rows_;
}

}  // namespace vl::loot
