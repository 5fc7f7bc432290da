#pragma once
// "Repair NPC's Without Lootdrops": gives every NPC without a loottable a
// loottable of its own holding one shared lootdrop of cloth and rusty items.

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "maintenance/npc_repair.h"

namespace vl::maintenance {

// Repairs (see repair_npcs) and disables the button when done. A rejected
// statement is reported and stops the command; the button stays usable then,
// and what was written stays.
void Command4_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::maintenance
