#pragma once
// `categories`: the loot categories and the level ranges the other commands
// take, from the same table as the window. Needs neither db.ini nor a server.

#include <string>

#include "cli/options.h"

namespace vl::cli {

// The whole text for standard output, as a table or one JSON document.
std::string categories_text(Format format);

}  // namespace vl::cli
