#pragma once
// The candidate list a generation run draws its items from: the ids of the
// selected category's items (narrowed by the rules), or the custom item list.

#include "core/module_slots.h"
#include "loot/draws.h"
#include "loot/generate.h"

namespace vl::loot {

// The highest usable candidate slot.
inline constexpr int kMaxCandidates = kCustomItemSlots - 1;

enum class CandidateLoad {
  ready,              // candidate_count set (it may be 0)
  item_query_failed,  // the server rejected the item query; nothing was stored
};

class WalkSource;

// Fills the source's candidate slots 1.. and their count for a run. Category
// path: tells GenerateStage::reading_items, runs the item query through the
// source (re-seeding the generator first) and stores up to kMaxCandidates ids;
// slots behind them keep their values. Custom path: tells
// GenerateStage::reading_custom_list, counts the slots up to the first empty
// or 0 one and gives that count as a notice; a list that fills every slot
// counts kMaxCandidates. Throws db::ConnectionFailed and, while reading the
// rows, db::Error.
CandidateLoad load_candidates(WalkSource& source, Random& random, GenerateInputs& inputs,
                              const GenerateEvents& events);

// Slots 1.. up to the first slot that is empty or 0 (kMaxCandidates when none is).
int custom_list_length(const std::vector<std::optional<double>>& slots);

}  // namespace vl::loot
