#include "cli/connect.h"

#include <cstdio>

#include "app/connection_advice.h"
#include "db/database.h"

namespace vl::cli {
namespace {

// One db.ini per run, read before the first connection.
std::string& settings_file() {
  static std::string path = "db.ini";
  return path;
}

}  // namespace

void remember_settings_file(const std::string& path) { settings_file() = path; }

std::string could_not_connect(const db::Session& session, std::int32_t native_error,
                              const std::string& driver_text) {
  return "vandril_loot_cli: " +
         app::connection_failure_line(session, native_error, driver_text, settings_file());
}

std::unique_ptr<db::Connection> connect_or_say(const db::Session& session) {
  try {
    return std::make_unique<db::Connection>(db::connection_string(session));
  } catch (const db::Error& error) {
    std::fprintf(stderr, "%s\n",
                 could_not_connect(session, error.native_error(), error.what()).c_str());
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
