#include "app/window/window_loot.h"

#include <algorithm>
#include <span>

#include "app/window/window_inputs.h"
#include "loot/walk.h"

namespace vl::loot {

void Generate_item_class_sql(ProgramState& state) {
  const int selected = state.form1.op_selected();
  const ItemTypeSlots slots = category_slots(selected);
  std::copy(slots.begin() + 1, slots.end(), state.category_itemtypes.begin() + 1);
  if (auto name = category_name(selected)) state.category_name = *name;
}

std::string item_query_clause(const ProgramState& state) {
  return item_query_clause(state.category_itemtypes, state.item_rules);
}

std::string item_query(const ProgramState& state) {
  return item_query(state.category_itemtypes, state.item_rules);
}

CandidatePool candidate_pool(const ProgramState& state) {
  const int count = std::clamp<int>(state.candidate_count, 0, kCustomItemSlots - 1);
  return candidate_pool(std::span(state.custom_item_ids).subspan(1, count));
}

int custom_list_length(const ProgramState& state) {
  return custom_list_length(state.custom_item_ids);
}

CandidateLoad load_candidate_items(ProgramState& state, UiPort& ui) {
  WindowInputs inputs(state);
  SessionSource source(state, inputs);
  WalkLine line;
  return load_candidates(source, state.random, inputs, window_events(state, ui, line));
}

}  // namespace vl::loot
