#pragma once
// Why db.ini gives no usable settings, in words an operator can act on. The
// window keeps its one message; the command line adds these findings to it.
// Nothing here changes what read_db_ini accepts.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/db_ini.h"

namespace vl {

// The file's items, or why it cannot be read ("cannot be read (REASON)", "is a
// folder, not a file").
std::variant<std::vector<IniItem>, std::string> ini_items_of(const std::string& path);

// One finding for each of host, password (when `password_required`) and
// database that the items leave empty, the last occurrence deciding:
//   "no `password=` line"
//   "line 3: `host = x` has spaces around `=`"   (a key written near the mark)
//   "line 3: `Host=x` is not `host=`: keys are written in lower case"
//   "line 2: `database=` is empty"
//   "line 1: `host=` follows a byte order mark, which makes it no key: ..."
//   "line 2: a double quote opened here is not closed on its line, so
//    `database=` on a later line belongs to its value: ..."
// A password is never repeated in a finding.
std::vector<std::string> db_ini_findings(const std::vector<IniItem>& items, bool password_required);

// The item that sets a key last, matched as read_db_ini matches: nullptr when none does.
const IniItem* last_item_with(const std::vector<IniItem>& items, std::string_view prefix);

}  // namespace vl
