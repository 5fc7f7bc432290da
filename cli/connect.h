#pragma once
// The command line's own connections to the world database.

#include <memory>

#include "db/odbc.h"
#include "db/session.h"

namespace vl::cli {

// A connection with the session's db.ini settings, or nullptr once the
// window's connection message has been written to standard error.
std::unique_ptr<db::Connection> connect_or_say(const db::Session& session);

// The same, its statements logged, counted and passed through the journal's
// gate like the handlers' (the gate as the session holds it now).
std::unique_ptr<db::Connection> observed_connection(const db::Session& session);

}  // namespace vl::cli
