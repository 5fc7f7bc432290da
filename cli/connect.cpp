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

}  // namespace vl::cli
