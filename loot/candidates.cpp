#include "loot/candidates.h"

#include <algorithm>
#include <string>

#include "db/database.h"
#include "loot/run_rules.h"
#include "loot/walk.h"

namespace vl::loot {
namespace {

CandidateLoad load_from_item_query(WalkSource& source, Random& random, GenerateInputs& inputs,
                                   const GenerateEvents& events) {
  if (events.progress) events.progress(GenerateStage::reading_items, {});

  // Built after the events went through: the rules may have changed meanwhile.
  const std::string sql = inputs.item_query();
  random.reseed_from_time();
  db::Recordset* rows = source.item_rows(sql);
  if (!rows) return CandidateLoad::item_query_failed;

  const int count = std::min<std::int32_t>(rows->record_count(), kMaxCandidates);
  const CandidateSlots slots = source.candidate_slots();
  int slot = 1;
  for (; !rows->eof() && slot <= count; ++slot) {
    slots.ids[slot] = window_field_number(rows->field(std::size_t{0}));
    rows->move_next();
  }
  rows->close();
  slots.count = static_cast<std::int16_t>(count);
  return CandidateLoad::ready;
}

CandidateLoad load_from_custom_list(WalkSource& source, const GenerateEvents& events) {
  if (events.progress) events.progress(GenerateStage::reading_custom_list, {});
  const CandidateSlots slots = source.candidate_slots();
  const int count = custom_list_length(slots.ids);
  if (events.notice) {
    events.notice("Using Your Custom Item List - [" + std::to_string(count) + " items]");
  }
  slots.count = static_cast<std::int16_t>(count);
  return CandidateLoad::ready;
}

}  // namespace

int custom_list_length(const std::vector<std::optional<double>>& slots) {
  const int last = std::min<int>(kMaxCandidates, static_cast<int>(slots.size()) - 1);
  for (int slot = 1; slot <= last; ++slot) {
    const auto& value = slots[slot];
    if (!value || *value == 0) return slot - 1;
  }
  return last;
}

CandidateLoad load_candidates(WalkSource& source, Random& random, GenerateInputs& inputs,
                              const GenerateEvents& events) {
  return inputs.custom_list_active() ? load_from_custom_list(source, events)
                                     : load_from_item_query(source, random, inputs, events);
}

}  // namespace vl::loot
