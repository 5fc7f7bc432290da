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
    std::fprintf(stderr, "%s\n%s\n", db::kConnectionFailedMessage,
                 could_not_connect(session, error.what()).c_str());
    return nullptr;
  }
}

std::unique_ptr<db::Connection> observed_connection(const db::Session& session) {
  auto connection = connect_or_say(session);
  if (connection) {
    connection->set_observer(session.statement_observer);
    connection->set_gate(session.statement_gate);
  }
  return connection;
}

}  // namespace vl::cli
