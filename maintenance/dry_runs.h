#pragma once
// What delete and repair would do, read without changing anything.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/odbc.h"

namespace vl::maintenance {

inline constexpr std::size_t kDryRunExamples = 10;

struct MatchingName {
  std::string name;
  long long lootdrops = 0;
  bool custom = false;  // ends in "_CUSTOM_" + a category's drop-name word
};

struct RemovalPreview {
  std::vector<MatchingName> names;  // by name
  long long lootdrops = 0, entries = 0, links = 0;
};

// What deleting the drops of `range` ("01-10") would remove: the lootdrops
// whose name matches removal_pattern(range), by name, and the lootdrop
// entries and loottable entries of those lootdrops. Two SELECTs. Throws db::Error.
RemovalPreview preview_removal(db::Connection& connection, const std::string& range);

struct NpcExample {
  std::int64_t id = 0;
  std::string name;
};

struct RepairPreview {
  long long npcs = 0;                // NPCs without a loottable
  std::vector<NpcExample> examples;  // the first kDryRunExamples of them, by id
  long long items = 0;               // items the repair's drop could hold
};

// What repair would change. Three SELECTs. Throws db::Error.
RepairPreview preview_repair(db::Connection& connection);

// The counts the question before a write names: the lootdrops delete of
// `range` removes, the NPCs repair gives a loottable. One SELECT each. Throws
// db::Error.
long long drops_to_delete(db::Connection& connection, const std::string& range);
long long npcs_to_repair(db::Connection& connection);

}  // namespace vl::maintenance
