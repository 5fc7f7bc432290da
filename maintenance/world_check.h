#pragma once
// The world check: a read-only report of the loot tables: broken links, empty and
// unlinked drops, and whether the tables' layouts fit the window's inserts.

#include <string>
#include <vector>

#include "db/cluster.h"
#include "db/session.h"
#include "maintenance/window_layout.h"

namespace vl::maintenance {

inline constexpr int kExamplesPerFinding = 10;

struct Finding {
  std::string what;
  long long count = 0;
  std::vector<std::string> examples;  // at most kExamplesPerFinding
  std::string error;                  // the server's text when it could not be counted
};

struct LayoutFit {
  std::string table;
  bool fits = false;
  std::vector<std::string> differences;
};

struct CheckReport {
  std::vector<Finding> findings;
  std::vector<LayoutFit> layouts;
  // On a cluster node only; its table problems are findings too.
  std::optional<db::ClusterStatus> cluster;
  bool clean() const;
};

// How a table's columns (empty: no such table) fit the window's inserts.
LayoutFit compare_layout(const WindowTable& expected, const std::vector<std::string>& columns);

// Reads the world over one connection of the session. Throws
// db::ConnectionFailed.
CheckReport check_world(db::Session& state);

}  // namespace vl::maintenance
