#pragma once
// The candidate list a generation run draws its items from: the ids of the
// selected category's items (narrowed by the rules), or the custom item list.

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::loot {

// The highest usable candidate slot.
inline constexpr int kMaxCandidates = kCustomItemSlots - 1;

enum class CandidateLoad {
  ready,              // candidate_count set (it may be 0)
  item_query_failed,  // the server rejected the item query; nothing was stored
};

// Fills custom_item_ids slots 1.. and candidate_count for a run. Category path:
// shows "Generating Items Lists", lets events through once, runs the item query
// (re-seeding the generator first) and stores up to kMaxCandidates ids; slots
// behind them keep their values. Custom path: shows "Using Custom List...", counts
// the slots up to the first empty or 0 one and tells the user that count; a list
// that fills every slot counts kMaxCandidates. Throws db::ConnectionFailed and,
// while reading the rows, db::Error.
CandidateLoad load_candidate_items(ProgramState& state, UiPort& ui);

// Slots 1.. up to the first slot that is empty or 0 (kMaxCandidates when none is).
int custom_list_length(const ProgramState& state);

}  // namespace vl::loot
