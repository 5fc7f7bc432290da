#pragma once
// "Show Stats": counts the custom lootdrops per level range and category.

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "maintenance/drop_counts.h"

namespace vl::maintenance {

// Fills the eight statistics columns with the number of custom lootdrops of
// each level range of the level list and each category word, one connection
// for all counts. A rejected query is reported and stops the count; so does a
// connection closed by another command meanwhile (kCountsInterruptedMessage).
void determine_custom_item_drop_stats(ProgramState& state, UiPort& ui);

// The "Show Stats" button.
void Command3_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::maintenance
