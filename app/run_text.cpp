#include "app/run_text.h"

#include <cstdio>

#include "app/run_json.h"
#include "journal/run_settings.h"

namespace vl::app {
namespace {

// printf's layout, whose widths count bytes: the columns stay where they were
// for names that are not ASCII.
template <typename... Values>
std::string printed(const char* format, Values... values) {
  const int size = std::snprintf(nullptr, 0, format, values...);
  std::string text(static_cast<std::size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, format, values...);
  return text;
}

}  // namespace

std::string history_text(const std::vector<journal::RunInfo>& runs, const ShownName& shown) {
  std::string text = printed("%-5s %-20s %-8s %-6s %-22s %6s  %-10s %s\n", "id", "when", "command",
                             "range", "category", "rows", "undoable", "outcome");
  for (const journal::RunInfo& run : runs) {
    text += printed(
        "%-5lld %-20s %-8s %-6s %-22s %6lld  %-10s %s\n", (long long)run.id, run.started.c_str(),
        run.command.c_str(), shown(journal::setting_of(run.settings, "levels")).c_str(),
        shown(journal::setting_of(run.settings, "category")).c_str(), (long long)run.rows,
        undoable(run) ? "yes" : "no", journal::shown_outcome(run).c_str());
  }
  return text;
}

std::string run_text(const journal::RunInfo& run, const std::vector<journal::Row>& rows,
                     const ShownName& shown) {
  std::string text = printed(
      "run %lld: %s on %s at %s\nstarted %s, ended %s\nsettings: %s\noutcome: %s\n",
      (long long)run.id, run.command.c_str(), run.database.c_str(), run.host.c_str(),
      run.started.c_str(), run.ended.empty() ? "never" : run.ended.c_str(),
      shown(journal::describe_settings(run.settings)).c_str(), journal::shown_outcome(run).c_str());
  for (const journal::Row& row : rows) {
    text += printed("%s %s%s\n", journal::kind_name(row.kind),
                    shown(journal::describe_with_columns(row)).c_str(),
                    row.uncertain ? " (may not have reached the world)" : "");
  }
  return text;
}

}  // namespace vl::app
