#include "loot/candidates.h"

#include <algorithm>
#include <string>

#include "core/numeric_text.h"
#include "db/database.h"
#include "loot/categories.h"

namespace vl::loot {
namespace {

CandidateLoad load_from_item_query(ProgramState& state, UiPort& ui) {
  state.form1.set_lx("Generating Items Lists");
  ui.repaint();
  ui.process_events();

  // Built after the events went through: the rules may have changed meanwhile.
  state.current_sql = item_query(state);
  state.random.reseed_from_time();
  db::run_query(state, state.current_sql);
  if (state.record_count < 0) return CandidateLoad::item_query_failed;

  const int count = std::min<std::int32_t>(state.record_count, kMaxCandidates);
  auto& recordset = *state.db_recordset;
  int slot = 1;
  for (; !recordset.eof() && slot <= count; ++slot) {
    const db::Value& id = recordset.field(std::size_t{0});
    state.custom_item_ids[slot] =
        id.is_null() ? std::nullopt : std::optional<double>(numeric_value(id.text()));
    recordset.move_next();
  }
  recordset.close();
  state.candidate_count = static_cast<std::int16_t>(count);
  return CandidateLoad::ready;
}

CandidateLoad load_from_custom_list(ProgramState& state, UiPort& ui) {
  state.form1.set_lx("Using Custom List...");
  const int count = custom_list_length(state);
  ui.message_box("Using Your Custom Item List - [" + std::to_string(count) + " items]");
  state.candidate_count = static_cast<std::int16_t>(count);
  return CandidateLoad::ready;
}

}  // namespace

int custom_list_length(const ProgramState& state) {
  for (int slot = 1; slot <= kMaxCandidates; ++slot) {
    const auto& value = state.custom_item_ids[slot];
    if (!value || *value == 0) return slot - 1;
  }
  return kMaxCandidates;
}

CandidateLoad load_candidate_items(ProgramState& state, UiPort& ui) {
  return state.custom_list_active ? load_from_custom_list(state, ui)
                                  : load_from_item_query(state, ui);
}

}  // namespace vl::loot
