#pragma once
// The statistics: the number of custom lootdrops per level range and category,
// counted over one connection, as a table.

#include <functional>
#include <string>
#include <vector>

#include "core/ending.h"
#include "db/session.h"

namespace vl::maintenance {

// Shown when another command closed the shared connection between two counts.
inline constexpr const char* kCountsInterruptedMessage =
    "The counts were interrupted by another command.\nPress Show Stats again.";

struct StatsTable {
  std::vector<std::string> ranges;             // columns
  std::vector<std::string> categories;         // rows: the statistics words
  std::vector<std::vector<long long>> counts;  // counts[category][range]
};

struct StatsOutcome {
  Ending ending = Ending::completed;
  StatsTable table;
  int counted_columns = 0;  // the columns counted whole
  std::string message;      // why the counts stopped
};

struct StatsEvents {
  std::function<void()> started;                  // the connection is open
  std::function<void(int column)> column_begins;  // 1-based
  // One count of the column as the server gave it, in the order of the words.
  std::function<void(int column, const std::string& count)> counted;
  std::function<void(int column)> column_done;
};

// One count per range and word: "select count(id) from lootdrop where
// lootdrop.name = 'lvl_<range>_CUSTOM_<word>'". A rejected query stops the
// counts with the server's text; so does the shared connection found closed
// before a count (kCountsInterruptedMessage). Throws db::ConnectionFailed.
StatsOutcome count_custom_drops(db::Session& session, const std::vector<std::string>& ranges,
                                const std::vector<std::string>& words, const StatsEvents& events);

}  // namespace vl::maintenance
