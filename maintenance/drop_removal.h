#pragma once
// Removing the custom lootdrops of a level range with their entries and links.

#include <functional>
#include <string>

#include "core/ending.h"
#include "db/session.h"

namespace vl::maintenance {

struct DeleteCounts {
  int drops = 0;            // the matching lootdrops read
  bool drops_sent = false;  // the DELETE of the lootdrops went out
  bool drops_gone = false;  // and succeeded
  int cleaned = 0;          // drops whose loottable entries are removed too
};

struct DeleteOutcome {
  Ending ending = Ending::completed;
  DeleteCounts counts;
  std::string message;  // why it stopped
};

// Told after every statement that succeeded.
using DeleteProgress = std::function<void(const DeleteCounts&)>;

// The LIKE pattern of the lootdrops a deletion of `range` ("01-10") removes:
// "lvl_01-10%", where '_' matches any character and every such name counts,
// custom or not.
std::string removal_pattern(const std::string& range);

// Reads the ids of the lootdrops named "lvl_<range>%" over a new connection,
// deletes those lootdrops, then for each id its lootdrop entries and loottable
// entries. When the ids cannot be read nothing is deleted; a rejected statement
// stops the removal with the server's text. The connection is closed at the
// end. Throws db::ConnectionFailed.
DeleteOutcome delete_custom_drops(db::Session& session, const std::string& range,
                                  const DeleteProgress& progress);

}  // namespace vl::maintenance
