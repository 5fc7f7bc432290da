#pragma once
// The journal's runs as JSON values (history and show with --format json), so
// that every shell shows a run with the same fields.

#include <vector>

#include <nlohmann/json.hpp>

#include "journal/row.h"
#include "journal/run_info.h"

namespace vl::app {

// Whether the run may be undone now.
bool undoable(const journal::RunInfo& run);

// The runs as history lists them: id, when, command, range, category, rows,
// outcome and whether each may be undone.
nlohmann::json history_json(const std::vector<journal::RunInfo>& runs);

// One run and its rows as one object; its settings as an object when they are
// JSON, else as their text.
nlohmann::ordered_json run_json(const journal::RunInfo& run, const std::vector<journal::Row>& rows);

}  // namespace vl::app
