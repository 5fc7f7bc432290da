#pragma once
// The journal's runs as text (history and show as tables): the same columns
// and lines as their JSON values in app/run_json, laid out for a terminal.

#include <string>
#include <vector>

#include "app/dry_run_text.h"
#include "journal/row.h"
#include "journal/run_info.h"

namespace vl::app {

// The runs, one line each under a head: id, when, command, range, category,
// rows, whether it may be undone, and its outcome. `shown`: how the shell shows
// a text from the settings.
std::string history_text(const std::vector<journal::RunInfo>& runs, const ShownName& shown);

// One run: what, where, when, its settings and outcome, then a line per row.
std::string run_text(const journal::RunInfo& run, const std::vector<journal::Row>& rows,
                     const ShownName& shown);

}  // namespace vl::app
