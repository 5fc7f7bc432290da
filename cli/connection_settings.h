#pragma once
// The command line's connection settings: db.ini as the window reads it, and
// beside it what only the command line takes: `port=`, `ssl=1` and `ssl_ca=`
// in the file, the options --port and --ssl-ca (which win), and the password
// from VANDRIL_LOOT_PASSWORD when that is set (then `password=` may be absent).

#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/terminal_ui.h"
#include "db/session.h"

namespace vl::cli {

inline constexpr const char* kPasswordVariable = "VANDRIL_LOOT_PASSWORD";

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
