#pragma once
// The one yes/no question the command line asks on a terminal before it writes.

#include <string>

namespace vl::cli {

// Asks `question` followed by " [y/N] " on standard error and reads one line.
// Yes is "y" or "yes" in any case; anything else, end of input or Ctrl+C is no
// (Ctrl+C ends the program at once while it waits).
bool answered_yes(const std::string& question);

}  // namespace vl::cli
