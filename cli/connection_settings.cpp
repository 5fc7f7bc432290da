#include "cli/connection_settings.h"

#include <cstdio>
#include <filesystem>

#include "app/connection_advice.h"
#include "cli/connect.h"
#include "cli/exit_codes.h"
#include "config/db_ini_diagnosis.h"

namespace vl::cli {

std::optional<int> read_connection_settings(db::Session& session, TerminalUi& ui,
                                            const Invocation& run, const std::string& path) {
  if (!std::filesystem::exists(path)) {
    std::fprintf(stderr, "vandril_loot_cli: %s\n",
                 app::missing_settings_text(config_places(run.config)).c_str());
    return kExitNotConnected;
  }
  remember_settings_file(path);
  const ConnectionSettings settings = vl::read_connection_settings(path);
  if (!settings.findings.empty()) {
    ui.message_box(kDbIniInvalidMessage);
    if (!ui.echoes_messages()) std::fprintf(stderr, "%s\n", kDbIniInvalidMessage);
    for (const std::string& finding : settings.findings)
      std::fprintf(stderr, "db.ini (%s): %s\n", path.c_str(), finding.c_str());
    return kExitNotConnected;
  }
  for (const std::string& warning : settings.warnings)
    std::fprintf(stderr, "vandril_loot_cli: warning: %s\n", warning.c_str());
  session.db_host = settings.host;
  session.db_user = settings.user;
  session.db_password = settings.password;
  session.db_name = settings.database;
  session.db_port = run.port.value_or(settings.port);
  session.tls_ca = run.ssl_ca.value_or(settings.tls_ca);
  session.tls = settings.tls || !session.tls_ca.empty();
  return std::nullopt;
}

}  // namespace vl::cli
