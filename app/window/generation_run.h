#pragma once
// "Execute": custom lootdrops for the NPCs of the selected level range.

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "loot/generate.h"

namespace vl::loot {

// The generation run. Walks the NPCs of level_low..level_high, one per loottable;
// each that passes its percent test gets a lootdrop of item_max_count distinct
// random items, linked into its loottable. Disables Command2 and Command3 while
// it runs and lets the window process events once per NPC, so other handlers
// may run in between; the level range, items per drop and category name are
// read when they are used.
//
// Outcomes besides "Completed!": a range with no NPCs completes with nothing
// written. A failing item query, no candidates, fewer distinct candidate ids
// than items per drop, more than 32 items per drop, a candidate that is no
// 32-bit id, a percentage of NPCs outside -32768..32767, or a chance or
// probability too large to write out refuse the run with a message before
// anything is written. When items per drop or the candidates change during the
// run so that a drop cannot be filled, the run stops before that drop. NPCs
// whose id or loottable is NULL are never chosen and hold no loottable. A
// statement the server rejects stops the run with the server's text; what was
// written before stays. Every way out restores the progress line, shows ">Ready"
// and enables both buttons. db::ConnectionFailed propagates (it is fatal).
void Command2_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::loot
