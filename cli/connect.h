#pragma once
// The command line's own connections to the world database, and what it says
// when one cannot be made.

#include <cstdint>
#include <memory>
#include <string>

#include "db/odbc.h"
#include "db/session.h"

namespace vl::cli {

// The db.ini this run took its connection settings from, which a refused login
// or an unknown database tells the operator to check.
void remember_settings_file(const std::string& path);

// "vandril_loot_cli: " and app::connection_failure_line: the cause and what to do.
std::string could_not_connect(const db::Session& session, std::int32_t native_error,
                              const std::string& driver_text);

// A connection with the session's db.ini settings, or nullptr once
// could_not_connect's line has been written to standard error.
std::unique_ptr<db::Connection> connect_or_say(const db::Session& session);

// The same, its statements logged, counted and passed through the journal's
// gate like the handlers' (the gate as the session holds it now).
std::unique_ptr<db::Connection> observed_connection(const db::Session& session);

}  // namespace vl::cli
