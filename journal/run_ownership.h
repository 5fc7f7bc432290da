#pragma once
// Which of the drops a run inserted are still the run's to remove. A drop (a
// lootdrop with its entries and the links to it, all under its id) is judged
// whole before undo removes anything of it, and left as it is, listed, when:
// - a later run of the journal wrote a lootdrop under the same id (the id was
//   free again, so what holds it now is not surely the run's);
// - a link the run did not make uses the lootdrop (removing it would leave
//   that link pointing at nothing);
// - whether the run wrote it is unknown (rows written ahead, never confirmed),
//   and the lootdrop, its entries and links are not exactly as the run wrote
//   them.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "journal/row.h"
#include "journal/store.h"
#include "journal/world_rows.h"

namespace vl::journal {

// Whether the table holds the rows of a drop: the lootdrop, its entries, the links to it.
bool of_a_drop(const std::string& table);

class DropOwnership {
 public:
  // Takes in a chunk of the run's inserted rows, read against the world
  // (WorldRows::read), with whether each was matched to a row of the world.
  void observe(WorldRows& world, const std::vector<Row>& chunk, const std::vector<bool>& matched);
  // Looks for the run's lootdrop ids among the lootdrops of the runs after `run`.
  void check_later_runs(Store& store, std::int64_t run, WorldRows& world);
  // One sentence per drop left as it is, in the order of the ids; from then on
  // left_alone holds their lootdrop ids.
  std::vector<std::string> conflicts();
  const std::set<std::string>& left_alone() const { return left_alone_; }

 private:
  struct Facts {
    bool inserted = false;          // the run wrote a lootdrop under the id
    bool lootdrop_matched = false;  // the world's lootdrop is as the run wrote it
    bool uncertain = false;         // some row under the id never confirmed
    bool in_world = false;          // the world holds rows under the id
    int other_rows = 0;             // the world's entries under the id the run did not write
    int other_links = 0;            // the world's links to the id the run did not make
    std::int64_t later_run = 0;     // the first later run that wrote a lootdrop under the id
  };
  std::map<std::string, Facts> drops_;  // by lootdrop id (Value::plain)
  std::set<std::string> left_alone_;
};

}  // namespace vl::journal
