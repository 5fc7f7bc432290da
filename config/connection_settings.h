#pragma once
// The connection settings as the command line takes them: db.ini as the window
// reads it, and beside it `port=`, `ssl=1` and `ssl_ca=` in the file and the
// password from VANDRIL_LOOT_PASSWORD when that is set (then `password=` may be
// absent). Values only: the shell says the findings and warnings.

#include <string>
#include <vector>

namespace vl {

inline constexpr const char* kPasswordVariable = "VANDRIL_LOOT_PASSWORD";

struct ConnectionSettings {
  std::vector<std::string> findings;  // why the file gives no usable settings; none: usable
  std::vector<std::string> warnings;  // what the operator should know, one sentence each
  std::string host, user, password, database;
  int port = 0;  // 0: the driver's default
  bool tls = false;
  std::string tls_ca;
};

// Reads `path`, the password from the environment winning over the file's.
ConnectionSettings read_connection_settings(const std::string& path);

// Where db.ini is looked for, in order: `given` (--config) alone when not
// empty, else ./db.ini, then the folder of $VANDRIL_LOOT_HOME, else of
// ${XDG_CONFIG_HOME:-~/.config}/vandril_loot.
std::vector<std::string> config_places(const std::string& given);
// The db.ini to read: the first of config_places that exists, else the last.
std::string config_path(const std::string& given);

}  // namespace vl
