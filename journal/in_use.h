#pragma once
// What the world still uses of the loottables a run made (its copies of shared
// loottables): a copy that an NPC the run did not move to it uses stays, and
// undo lists it.

#include <map>
#include <string>
#include <vector>

#include "journal/row.h"
#include "journal/world_rows.h"

namespace vl::journal {

// The NPCs a run moved to a loottable it made (a copy), and those others that
// use it now: a copy any other NPC uses stays.
class CopyUsers {
 public:
  // Takes in a chunk of the run's NPC rows.
  void note_moves(const std::vector<Row>& npc_rows);
  // For each loottable of `copies` that NPCs the run did not move to it use,
  // by Value::plain, how many they are (read from the world).
  std::map<std::string, int> others(WorldRows& world, const std::vector<Value>& copies) const;

 private:
  // Loottable, the NPCs moved to it (Value::plain, as the world reads them).
  std::map<std::string, std::vector<std::string>> moved_;
};

}  // namespace vl::journal
