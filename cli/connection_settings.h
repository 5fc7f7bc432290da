#pragma once
// The command line's connection settings: config/connection_settings' values,
// the options --port and --ssl-ca winning, and what is wrong with them said.

#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/terminal_ui.h"
#include "config/connection_settings.h"
#include "db/session.h"

namespace vl::cli {

// What --help says of db.ini.
inline constexpr const char* kDbIniHelp =
    "db.ini: host=, user=, password= and database=, one a line, as the window reads them\n"
    "(lower case, no blanks around =); the command line also takes port=N, ssl=1 and\n"
    "ssl_ca=PATH, and the password from $VANDRIL_LOOT_PASSWORD (then password= may be\n"
    "left out). Keep it readable by you only: chmod 600 db.ini.\n";

// Fills the session's connection settings from `path` and `run`. A file that
// gives no usable settings is refused as the window refuses it (its message
// through `ui`) and then each finding on standard error as
// "db.ini (PATH): FINDING"; the exit code is then returned. Warns on standard
// error when the file holds a password and its group or others may read it.
std::optional<int> read_connection_settings(db::Session& session, TerminalUi& ui,
                                            const Invocation& run, const std::string& path);

}  // namespace vl::cli
