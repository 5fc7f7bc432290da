#include "app/run_json.h"

#include "journal/run_info.h"
#include "journal/run_settings.h"

namespace vl::app {
namespace {

// A value of a row as JSON: a number, a string or null.
nlohmann::ordered_json json_of(const journal::Value& value) {
  if (const std::int64_t* whole = value.integer()) return *whole;
  if (const double* real = value.real()) return *real;
  if (const std::string* text = value.text()) return *text;
  return nullptr;
}

}  // namespace

bool undoable(const journal::RunInfo& run) { return journal::why_not_undoable(run).empty(); }

nlohmann::json history_json(const std::vector<journal::RunInfo>& runs) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& run : runs) {
    list.push_back({{"id", run.id},
                    {"when", run.started},
                    {"command", run.command},
                    {"range", journal::setting_of(run.settings, "levels")},
                    {"category", journal::setting_of(run.settings, "category")},
                    {"rows", run.rows},
                    {"outcome", journal::shown_outcome(run)},
                    {"undoable", undoable(run)}});
  }
  return list;
}

nlohmann::ordered_json run_json(const journal::RunInfo& run,
                                const std::vector<journal::Row>& rows) {
  nlohmann::ordered_json shown_rows = nlohmann::ordered_json::array();
  for (const auto& row : rows) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const journal::Value& value : row.values) values.push_back(json_of(value));
    shown_rows.push_back({{"kind", journal::kind_name(row.kind)},
                          {"table", row.table},
                          {"columns", row.columns},
                          {"values", std::move(values)},
                          {"uncertain", row.uncertain}});
  }
  nlohmann::ordered_json settings = nlohmann::ordered_json::parse(run.settings, nullptr, false);
  if (settings.is_discarded()) settings = run.settings;
  return {{"id", run.id},
          {"command", run.command},
          {"database", run.database},
          {"host", run.host},
          {"started", run.started},
          {"ended",
           run.ended.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(run.ended)},
          {"settings", settings},
          {"outcome", journal::shown_outcome(run)},
          {"undoable", undoable(run)},
          {"rows", shown_rows}};
}

}  // namespace vl::app
