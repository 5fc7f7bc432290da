#pragma once
// The command line's own connections to the world database, and what it says
// when one cannot be made.

#include <memory>
#include <string>

#include "db/odbc.h"
#include "db/session.h"

namespace vl::cli {

// What was tried and what the driver said, the line after the window's
// connection message: "Could not connect to HOST:PORT as USER (database DB): TEXT".
std::string could_not_connect(const db::Session& session, const std::string& driver_text);

// A connection with the session's db.ini settings, or nullptr once the
// window's connection message and could_not_connect's line have been written
// to standard error.
std::unique_ptr<db::Connection> connect_or_say(const db::Session& session);

}  // namespace vl::cli
