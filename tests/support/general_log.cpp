#include "tests/support/general_log.h"

#include <cctype>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace vl::test {
namespace {

// "261205 18:54:51\t     6 Connect\t..." or "\t\t     6 Query\t...". Anything
// else continues the previous entry's argument (or is the log's header).
bool parse_entry(std::string_view line, LogEntry& entry) {
  std::size_t i = 0;
  if (line.size() > 7 && std::isdigit(static_cast<unsigned char>(line[0])) && line[6] == ' ') {
    i = line.find('\t');
    if (i == std::string_view::npos) return false;
  }
  if (i >= line.size() || line[i] != '\t') return false;
  while (i < line.size() && line[i] == '\t') ++i;
  while (i < line.size() && line[i] == ' ') ++i;
  const std::size_t digits = i;
  long long id = 0;
  for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
    id = id * 10 + (line[i] - '0');
  if (i == digits || i >= line.size() || line[i] != ' ') return false;
  const std::size_t tab = line.find('\t', i + 1);
  if (tab == std::string_view::npos) return false;
  const std::string_view command = line.substr(i + 1, tab - i - 1);
  if (command.empty() || !std::isalpha(static_cast<unsigned char>(command[0]))) return false;
  entry = {id, std::string(command), std::string(line.substr(tab + 1))};
  return true;
}

bool starts_with_ci(const std::string& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

std::uint64_t log_size(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot read " + path);
  return static_cast<std::uint64_t>(in.tellg());
}

std::vector<LogEntry> read_log(const std::string& path, std::uint64_t from) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  in.seekg(static_cast<std::streamoff>(from));
  std::vector<LogEntry> entries;
  std::string line;
  LogEntry entry;
  while (std::getline(in, line)) {
    if (parse_entry(line, entry)) {
      entries.push_back(std::move(entry));
    } else if (!entries.empty()) {
      entries.back().argument += "\n" + line;
    }
  }
  return entries;
}

bool is_driver_statement(const std::string& sql) {
  return starts_with_ci(sql, "SET ") || starts_with_ci(sql, "SELECT @@") ||
         starts_with_ci(sql, "SHOW ");
}

}  // namespace vl::test
