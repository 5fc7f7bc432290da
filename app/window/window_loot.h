#pragma once
// The loot engine's category, query and candidate calls over the window's
// program state: the selected option button and the shared slots.

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/draws.h"

namespace vl::loot {

// Slots 1..16 of category_itemtypes become -1, then the selected category's item
// types go into slots 1.. and its name into category_name. With no option
// selected the slots stay -1 and category_name keeps its value.
void Generate_item_class_sql(ProgramState& state);

// The item query clause and the item query from category_itemtypes and item_rules.
std::string item_query_clause(const ProgramState& state);
std::string item_query(const ProgramState& state);

// The pool of candidate slots 1..candidate_count.
CandidatePool candidate_pool(const ProgramState& state);

// The length of the custom list in custom_item_ids.
int custom_list_length(const ProgramState& state);

// The candidates as the window's run loads them: "Generating Items Lists" (with
// one pass of events) or "Using Custom List..." and the count in a message box.
CandidateLoad load_candidate_items(ProgramState& state, UiPort& ui);

}  // namespace vl::loot
