#pragma once
// "Execute" as the engine runs it: the settings come in through
// GenerateInputs, the progress goes out through GenerateEvents, and the run
// ends in a GenerateOutcome that each shell shows in its own way.

#include <cstddef>
#include <exception>
#include <functional>
#include <string>

#include "core/ending.h"
#include "core/random.h"
#include "db/session.h"
#include "loot/generate_inputs.h"

namespace vl::loot {

// What the run shows when it walked every NPC.
inline constexpr const char* kCompletedMessage = "Completed!";

struct GenerateCounts {
  std::size_t npcs = 0;    // in the walk
  std::size_t walked = 0;  // the NPC whose step began last (1-based)
  int chosen = 0;          // lootdrop ids looked up
  int drops = 0;           // lootdrop rows written
  int entries = 0;         // lootdrop entries written
  int links = 0;           // loottable entries written
  bool written() const { return drops + entries + links > 0; }
};

struct GenerateOutcome {
  Ending ending = Ending::completed;
  GenerateCounts counts;
  std::string message;  // kCompletedMessage, or why the run stopped
  // What else stopped the run (db::ConnectionFailed, with connection_lost), to
  // be shown as the shell shows a command's failure.
  std::exception_ptr thrown;
};

enum class GenerateStage {
  reading_items,        // the item query is about to run
  reading_custom_list,  // the custom list is counted
  reading_npcs,         // the NPC query is about to run
  walking,              // the connection for the walk is open
  npc,                  // an NPC's step begins (counts.walked is its number)
};

struct GenerateEvents {
  std::function<void(GenerateStage, const GenerateCounts&)> progress;
  // A message shown on the way ("Using Your Custom Item List - [n items]").
  std::function<void(const std::string&)> notice;
};

// The run: walks the NPCs of the range, one per loottable; each that passes its
// percent test gets a lootdrop of items_per_drop distinct random items, linked
// into its loottable. The refusals and stops are run_rules.h's.
// The statements go through `session` (current_sql, the shared slots).
GenerateOutcome generate(db::Session& session, Random& random, GenerateInputs& inputs,
                         const GenerateEvents& events);

}  // namespace vl::loot
