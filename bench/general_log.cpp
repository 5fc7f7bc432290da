#include "bench/general_log.h"

#include <cctype>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string_view>

namespace vl::bench {
namespace {

bool is_statement(const LogEntry& e) { return e.command == "Query" || e.command == "Execute"; }

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
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) {
    id = id * 10 + (line[i] - '0');
    ++i;
  }
  if (i == digits || i >= line.size() || line[i] != ' ') return false;
  const std::size_t tab = line.find('\t', i + 1);
  if (tab == std::string_view::npos) return false;
  const std::string_view command = line.substr(i + 1, tab - i - 1);
  if (command.empty() || !std::isalpha(static_cast<unsigned char>(command[0]))) return false;
  entry.connection = id;
  entry.command.assign(command);
  entry.argument.assign(line.substr(tab + 1));
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
      entry = LogEntry{};
    } else if (!entries.empty()) {
      entries.back().argument += "\n" + line;
    }
  }
  return entries;
}

std::vector<std::string> statements_of(const std::vector<LogEntry>& entries, long long connection) {
  std::vector<std::string> texts;
  for (const auto& e : entries) {
    if (e.connection == connection && is_statement(e)) texts.push_back(e.argument);
  }
  return texts;
}

Script script_from_log(const std::vector<LogEntry>& entries, long long ignored_connection,
                       const std::vector<std::string>& preamble) {
  Script script;
  struct Open {
    std::size_t session;
    std::size_t preamble_seen = 0;
  };
  std::map<long long, Open> sessions;
  for (const auto& e : entries) {
    if (e.connection == ignored_connection) continue;
    if (e.command == "Connect") {
      sessions[e.connection] = Open{script.sessions.size()};
      script.sessions.emplace_back();
      continue;
    }
    if (!is_statement(e)) continue;
    auto it = sessions.find(e.connection);
    if (it == sessions.end()) {
      throw std::runtime_error("a statement ran on a connection made before the command: " +
                               e.argument);
    }
    Open& open = it->second;
    if (open.preamble_seen < preamble.size()) {
      if (e.argument != preamble[open.preamble_seen]) {
        throw std::runtime_error("unexpected statement where the driver's own was due: " +
                                 e.argument);
      }
      ++open.preamble_seen;
      continue;
    }
    script.sessions[open.session].statements.push_back(e.argument);
    ++script.statement_count;
  }
  return script;
}

}  // namespace vl::bench
