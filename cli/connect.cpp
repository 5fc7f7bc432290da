#include "cli/connect.h"

#include <cstdio>

#include "cli/terminal_ui.h"
#include "db/database.h"

namespace vl::cli {

std::unique_ptr<db::Connection> connect_or_say(const db::Session& session) {
  try {
    return std::make_unique<db::Connection>(db::connection_string(session));
  } catch (const db::Error&) {
    std::fprintf(stderr, "%s\n", plain_lines(db::kConnectionFailedMessage).c_str());
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
