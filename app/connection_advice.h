#pragma once
// What the command line says when it cannot connect or finds no db.ini: one
// line naming the cause and the next step. The window keeps its own fixed
// connection message; this is the shells' shared wording for a terminal.

#include <cstdint>
#include <string>
#include <vector>

#include "db/session.h"

namespace vl::app {

// Why a connection could not be made, told apart by the server's or driver's
// native error code, never by the wording of its text.
enum class ConnectionCause {
  unreachable,
  login_refused,
  no_such_database,
  database_refused,
  other
};
ConnectionCause connection_cause(std::int32_t native_error);

// "could not connect: is the server running and listening on HOST:PORT?",
// "the server refused the login of USER: check user= and password= in PATH",
// "the server has no database DB: check database= in PATH" (or "the server
// lets USER use no database DB: ..." when it hides which), or for another
// cause what was tried and the driver's words. `settings_file`: the db.ini the
// settings came from. Without the program's name, which the shell puts first.
std::string connection_failure_line(const db::Session& session, std::int32_t native_error,
                                    const std::string& driver_text,
                                    const std::string& settings_file);

// A db.ini found in none of `places` (in the order they were tried): the
// places, one a line, and how to name another with --config.
std::string missing_settings_text(const std::vector<std::string>& places);

}  // namespace vl::app
