#pragma once
// "Repair NPC's Without Lootdrops": gives every NPC without a loottable a
// loottable of its own holding one shared lootdrop of cloth and rusty items.

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::maintenance {

// Shown instead of writing anything when no cloth or rusty item exists.
inline constexpr const char* kEmptyItemPoolMessage =
    "No item whose name starts with cloth or rusty was found, so there is nothing to put into "
    "the repair loot. Nothing was written.";

// Writes one lootdrop of four items drawn from the cloth and rusty items, and
// for each NPC whose loottable_id is 0 a new loottable with one entry for that
// lootdrop, then points the NPC at it. Disables the button when done. A
// rejected statement is reported and stops the command; the button stays
// usable then, and what was written stays.
void Command4_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::maintenance
