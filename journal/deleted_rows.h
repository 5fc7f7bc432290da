#pragma once
// What a deletion of custom drops is about to remove, read whole before it
// runs: the lootdrops whose name matches, their lootdrop entries and the
// loottable entries linking them.

#include <string>
#include <vector>

#include "db/odbc.h"
#include "journal/row.h"

namespace vl::journal {

// `pattern`: the LIKE pattern of the drop names, e.g. "lvl_01-10%". Reads only. Throws db::Error.
std::vector<Row> rows_to_delete(db::Connection& connection, const std::string& pattern);

}  // namespace vl::journal
