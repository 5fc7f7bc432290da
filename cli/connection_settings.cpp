#include "cli/connection_settings.h"

#include <fmt/core.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "cli/exit_codes.h"
#include "config/db_ini.h"
#include "config/db_ini_diagnosis.h"

namespace vl::cli {
namespace {

constexpr int kHighestPort = 65535;

struct Transport {
  int port = 0;
  bool tls = false;
  std::string tls_ca;
};

std::string_view value_of(const IniItem& item, std::string_view prefix) {
  return std::string_view(item.text).substr(prefix.size());
}

// `port=`, `ssl=` and `ssl_ca=`, the last of each winning; what they hold wrong
// goes to `findings`.
Transport transport_of(const std::vector<IniItem>& items, std::vector<std::string>& findings) {
  Transport transport;
  if (const IniItem* port = last_item_with(items, "port=")) {
    const std::string_view text = value_of(*port, "port=");
    int number = 0;
    for (const char c : text)
      number = c >= '0' && c <= '9' && number <= kHighestPort ? number * 10 + (c - '0')
                                                              : kHighestPort + 1;
    if (text.empty() || number < 1 || number > kHighestPort) {
      findings.push_back(fmt::format("line {}: `{}` is no port number from 1 to {}", port->line,
                                     port->text, kHighestPort));
    }
    transport.port = number;
  }
  if (const IniItem* ssl = last_item_with(items, "ssl=")) {
    const std::string_view text = value_of(*ssl, "ssl=");
    if (text != "0" && text != "1") {
      findings.push_back(
          fmt::format("line {}: `{}` is neither `ssl=1` nor `ssl=0`", ssl->line, ssl->text));
    }
    transport.tls = text == "1";
  }
  if (const IniItem* ca = last_item_with(items, "ssl_ca=")) {
    transport.tls_ca = value_of(*ca, "ssl_ca=");
  }
  return transport;
}

// A password in a file the group or others may read is a password told to them.
void warn_when_readable(const std::string& path, const DbIni& ini) {
  struct stat file {};
  if (ini.password.empty() || ::stat(path.c_str(), &file) != 0) return;
  if ((file.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
  std::fprintf(stderr,
               "vandril_loot_cli: warning: %s holds a password and can be read by others than "
               "you (mode %03o); chmod 600 %s\n",
               path.c_str(), static_cast<unsigned>(file.st_mode & 0777), path.c_str());
}

// The ODBC driver trims the spaces at both ends of every connection setting,
// in braces too, so that such a password reaches the server without them. It
// is sent as given all the same (the account may hold the trimmed one); the
// operator is told why a login that needs the spaces is refused.
void warn_when_trimmed(const std::string& password) {
  const auto space = [](char c) { return c == ' ' || c == '\t'; };
  if (password.empty() || (!space(password.front()) && !space(password.back()))) return;
  std::fprintf(stderr,
               "vandril_loot_cli: warning: %s begins or ends with a space, which the ODBC driver "
               "leaves out of the login\n",
               kPasswordVariable);
}

}  // namespace

std::optional<int> read_connection_settings(db::Session& session, TerminalUi& ui,
                                            const Invocation& run, const std::string& path) {
  const char* password = std::getenv(kPasswordVariable);
  const bool password_given = password && *password;
  const auto read = ini_items_of(path);
  std::vector<IniItem> items;
  std::vector<std::string> findings;
  if (const auto* reason = std::get_if<std::string>(&read)) {
    findings.push_back(*reason);
  } else {
    items = std::get<std::vector<IniItem>>(read);
    findings = db_ini_findings(items, !password_given);
  }
  const DbIni ini = db_ini_settings(items);
  const Transport transport = transport_of(items, findings);
  if (!findings.empty()) {
    ui.message_box(kDbIniInvalidMessage);
    if (!ui.echoes_messages()) std::fprintf(stderr, "%s\n", kDbIniInvalidMessage);
    for (const std::string& finding : findings)
      std::fprintf(stderr, "db.ini (%s): %s\n", path.c_str(), finding.c_str());
    return kExitNotConnected;
  }
  warn_when_readable(path, ini);
  if (password_given) warn_when_trimmed(password);
  session.db_host = ini.host;
  session.db_user = ini.user;
  session.db_password = password_given ? std::string(password) : ini.password;
  session.db_name = ini.database;
  session.db_port = run.port.value_or(transport.port);
  session.tls_ca = run.ssl_ca.value_or(transport.tls_ca);
  session.tls = transport.tls || !session.tls_ca.empty();
  return std::nullopt;
}

}  // namespace vl::cli
