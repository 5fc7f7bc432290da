#include "bench/general_log.h"

#include <map>
#include <stdexcept>

namespace vl::bench {
namespace {

bool is_statement(const LogEntry& e) { return e.command == "Query" || e.command == "Execute"; }

}  // namespace

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
