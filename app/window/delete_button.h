#pragma once
// "Delete ALL Custom Loot Drops For SELECTED Levels": removes the custom
// lootdrops of the selected level range with their entries and links.

#include "app/ui_port.h"
#include "app/window/program_state.h"

namespace vl::maintenance {

// Deletes every lootdrop whose name matches "lvl_" + level_low + "-" +
// level_high + "%", then the lootdrop entries and loottable entries of each
// one. Asks nothing and beeps when done. Any number of matching drops is
// handled. When the matching drops cannot be read, nothing is deleted and a
// message says so; a rejected statement is reported and stops the command.
void Command1_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::maintenance
