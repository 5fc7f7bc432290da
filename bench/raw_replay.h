#pragma once
// The floor a command is measured against: the same connects and statements,
// in the same order and on the same connection boundaries, sent through the
// bare ODBC API by a client that does nothing else.

#include <string>
#include <vector>

#include "bench/general_log.h"

namespace vl::bench {

// What the driver sends on its own after connecting, learnt by connecting once
// and reading the general log.
std::vector<std::string> driver_preamble(const std::string& connection_string,
                                         const std::string& log_path);

// Replays the script: SQLDriverConnect per session (after SQLDisconnect of the
// previous one), SQLExecDirect per statement with every row fetched. The last
// session is disconnected inside the timing only when `close_last` is set (the
// command closed it too). Returns the elapsed milliseconds. Throws
// std::runtime_error with the driver's text when anything fails.
double replay(const Script& script, const std::string& connection_string, bool close_last);

}  // namespace vl::bench
