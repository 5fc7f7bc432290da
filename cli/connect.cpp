#include "cli/connect.h"

#include <fmt/core.h>

#include <cstdio>

#include "cli/terminal_ui.h"
#include "db/database.h"

namespace vl::cli {

std::string could_not_connect(const db::Session& session, const std::string& driver_text) {
  return fmt::format("Could not connect to {}:{} as {} (database {}): {}", session.db_host,
                     session.db_port != 0 ? session.db_port : db::kDriverDefaultPort,
                     session.db_user, session.db_name, driver_text);
}

std::unique_ptr<db::Connection> connect_or_say(const db::Session& session) {
  try {
    return std::make_unique<db::Connection>(db::connection_string(session));
  } catch (const db::Error& error) {
    std::fprintf(stderr, "%s\n%s\n", plain_lines(db::kConnectionFailedMessage).c_str(),
                 could_not_connect(session, error.what()).c_str());
    return nullptr;
  }
}

}  // namespace vl::cli
