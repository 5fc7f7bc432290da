#pragma once
// The command line's own connections to the world database.

#include <memory>

#include "db/odbc.h"
#include "db/session.h"

namespace vl::cli {

// A connection with the session's db.ini settings, or nullptr once the
// window's connection message has been written to standard error.
std::unique_ptr<db::Connection> connect_or_say(const db::Session& session);

}  // namespace vl::cli
