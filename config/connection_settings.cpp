#include "config/connection_settings.h"

#include <fmt/core.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <variant>

#include "config/db_ini.h"
#include "config/db_ini_diagnosis.h"

namespace vl {
namespace {

constexpr int kHighestPort = 65535;

std::string_view value_of(const IniItem& item, std::string_view prefix) {
  return std::string_view(item.text).substr(prefix.size());
}

// `port=`, `ssl=` and `ssl_ca=`, the last of each winning; what they hold wrong
// goes to the findings.
void read_transport(const std::vector<IniItem>& items, ConnectionSettings& settings) {
  if (const IniItem* port = last_item_with(items, "port=")) {
    const std::string_view text = value_of(*port, "port=");
    int number = 0;
    for (const char c : text)
      number = c >= '0' && c <= '9' && number <= kHighestPort ? number * 10 + (c - '0')
                                                              : kHighestPort + 1;
    if (text.empty() || number < 1 || number > kHighestPort) {
      settings.findings.push_back(fmt::format("line {}: `{}` is no port number from 1 to {}",
                                              port->line, port->text, kHighestPort));
    }
    settings.port = number;
  }
  if (const IniItem* ssl = last_item_with(items, "ssl=")) {
    const std::string_view text = value_of(*ssl, "ssl=");
    if (text != "0" && text != "1") {
      settings.findings.push_back(
          fmt::format("line {}: `{}` is neither `ssl=1` nor `ssl=0`", ssl->line, ssl->text));
    }
    settings.tls = text == "1";
  }
  if (const IniItem* ca = last_item_with(items, "ssl_ca=")) {
    settings.tls_ca = value_of(*ca, "ssl_ca=");
  }
}

// A password in a file the group or others may read is a password told to them.
void warn_when_readable(const std::string& path, const DbIni& ini, ConnectionSettings& settings) {
  struct stat file {};
  if (ini.password.empty() || ::stat(path.c_str(), &file) != 0) return;
  if ((file.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
  settings.warnings.push_back(
      fmt::format("{} holds a password and can be read by others than you (mode {:03o}); "
                  "chmod 600 {}",
                  path, static_cast<unsigned>(file.st_mode & 0777), path));
}

// The ODBC driver trims the spaces at both ends of every connection setting,
// in braces too, so that such a password reaches the server without them. It
// is sent as given all the same (the account may hold the trimmed one); the
// operator is told why a login that needs the spaces is refused.
void warn_when_trimmed(const std::string& password, ConnectionSettings& settings) {
  const auto space = [](char c) { return c == ' ' || c == '\t'; };
  if (password.empty() || (!space(password.front()) && !space(password.back()))) return;
  settings.warnings.push_back(
      std::string(kPasswordVariable) +
      " begins or ends with a space, which the ODBC driver leaves out of the login");
}

}  // namespace

ConnectionSettings read_connection_settings(const std::string& path) {
  const char* password = std::getenv(kPasswordVariable);
  const bool password_given = password && *password;
  const auto read = ini_items_of(path);
  std::vector<IniItem> items;
  ConnectionSettings settings;
  if (const auto* reason = std::get_if<std::string>(&read)) {
    settings.findings.push_back(*reason);
  } else {
    items = std::get<std::vector<IniItem>>(read);
    settings.findings = db_ini_findings(items, !password_given);
  }
  const DbIni ini = db_ini_settings(items);
  read_transport(items, settings);
  if (!settings.findings.empty()) return settings;
  warn_when_readable(path, ini, settings);
  if (password_given) warn_when_trimmed(password, settings);
  settings.host = ini.host;
  settings.user = ini.user;
  settings.password = password_given ? std::string(password) : ini.password;
  settings.database = ini.database;
  return settings;
}

std::vector<std::string> config_places(const std::string& given) {
  if (!given.empty()) return {given};
  std::string folder;
  if (const char* home = std::getenv("VANDRIL_LOOT_HOME"); home && *home) {
    folder = home;
  } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    folder = std::string(config) + "/vandril_loot";
  } else {
    const char* user_home = std::getenv("HOME");
    folder = std::string(user_home ? user_home : "") + "/.config/vandril_loot";
  }
  return {"db.ini", folder + "/db.ini"};
}

std::string config_path(const std::string& given) {
  const std::vector<std::string> places = config_places(given);
  for (const std::string& place : places)
    if (std::ifstream(place).good()) return place;
  return places.back();
}

}  // namespace vl
