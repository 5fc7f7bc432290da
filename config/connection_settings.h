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

// The db.ini to read: `given` (--config) when not empty, else ./db.ini, else
// the launcher's folder.
std::string config_path(const std::string& given);

}  // namespace vl
