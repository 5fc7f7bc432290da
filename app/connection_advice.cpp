#include "app/connection_advice.h"

#include <fmt/core.h>

namespace vl::app {
namespace {

// MariaDB's client errors for a server that cannot be reached (a socket or
// TCP connection refused or timed out), and its server errors for a refused
// login and an unknown database.
constexpr std::int32_t kCannotConnectSocket = 2002;
constexpr std::int32_t kCannotConnectTcp = 2003;
constexpr std::int32_t kAccessDenied = 1045;
// A database the user may not use; a server answers so for one that does not
// exist too, to an account without rights on every database.
constexpr std::int32_t kDatabaseAccessDenied = 1044;
constexpr std::int32_t kUnknownDatabase = 1049;

}  // namespace

ConnectionCause connection_cause(std::int32_t native_error) {
  switch (native_error) {
    case kCannotConnectSocket:
    case kCannotConnectTcp:
      return ConnectionCause::unreachable;
    case kAccessDenied:
      return ConnectionCause::login_refused;
    case kUnknownDatabase:
      return ConnectionCause::no_such_database;
    case kDatabaseAccessDenied:
      return ConnectionCause::database_refused;
    default:
      return ConnectionCause::other;
  }
}

std::string connection_failure_line(const db::Session& session, std::int32_t native_error,
                                    const std::string& driver_text,
                                    const std::string& settings_file) {
  const int port = session.db_port != 0 ? session.db_port : db::kDriverDefaultPort;
  switch (connection_cause(native_error)) {
    case ConnectionCause::unreachable:
      return fmt::format("could not connect: is the server running and listening on {}:{}?",
                         session.db_host, port);
    case ConnectionCause::login_refused:
      return fmt::format("the server refused the login of {}: check user= and password= in {}",
                         session.db_user, settings_file);
    case ConnectionCause::no_such_database:
      return fmt::format("the server has no database {}: check database= in {}", session.db_name,
                         settings_file);
    case ConnectionCause::database_refused:
      return fmt::format("the server lets {} use no database {}: check database= in {}",
                         session.db_user, session.db_name, settings_file);
    case ConnectionCause::other:
      break;
  }
  return fmt::format("could not connect to {}:{} as {} (database {}): {}", session.db_host, port,
                     session.db_user, session.db_name, driver_text);
}

std::string missing_settings_text(const std::vector<std::string>& places) {
  std::string text = "no db.ini found; tried, in this order:\n";
  for (const std::string& place : places) text += "  " + place + "\n";
  return text + "give the file with --config FILE, or put one in the first place above";
}

}  // namespace vl::app
