#pragma once
// Repairing the NPCs without a loottable: one shared lootdrop of cloth and
// rusty items, and for each such NPC a loottable of its own holding it.

#include <cstddef>
#include <exception>
#include <functional>
#include <string>

#include "core/ending.h"
#include "core/random.h"
#include "db/session.h"

namespace vl::maintenance {

// Shown instead of writing anything when no cloth or rusty item exists.
inline constexpr const char* kEmptyItemPoolMessage =
    "No item whose name starts with cloth or rusty was found, so there is nothing to put into "
    "the repair loot. Nothing was written.";

// The NPCs the repair gives a loottable, and the items it draws from: the
// conditions of its queries.
inline constexpr const char* kNpcsWithoutLoot = "loottable_id=0";
inline constexpr const char* kRepairItems = "name LIKE 'cloth%' OR name LIKE 'rusty%'";
// The items of the one lootdrop it writes.
inline constexpr std::size_t kRepairDropItems = 4;

struct RepairCounts {
  int npcs = 0;      // without a loottable
  int step = 0;      // the NPC being repaired (1-based)
  int tables = 0;    // loottables written
  int repaired = 0;  // NPCs pointed at their new loottable
  bool written = false;
};

struct RepairOutcome {
  Ending ending = Ending::completed;
  RepairCounts counts;
  bool no_items = false;  // refused: no cloth or rusty item
  std::string message;    // why it stopped
  // What else stopped it (db::ConnectionFailed, with connection_lost), to be
  // shown as the shell shows a command's failure.
  std::exception_ptr thrown;
};

struct RepairEvents {
  std::function<void(const RepairCounts&)> npc_begins;
  std::function<void(const RepairCounts&)> statement_done;  // after every statement that succeeded
};

// Writes one lootdrop of four items drawn from the cloth and rusty items, and
// for each NPC whose loottable_id is 0 a new loottable with one entry for that
// lootdrop, then points the NPC at it. A rejected statement stops the repair
// with the server's text; what was written stays.
RepairOutcome repair_npcs(db::Session& session, Random& random, const RepairEvents& events);

}  // namespace vl::maintenance
