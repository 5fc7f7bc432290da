#pragma once
// What the commands print on standard output: the statistics and the check
// report as a table, CSV or JSON.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/plan_report.h"
#include "cli/options.h"
#include "maintenance/drop_counts.h"
#include "maintenance/world_check.h"

namespace vl::cli {

using maintenance::StatsTable;
std::string stats_text(const StatsTable& stats, Format format);

std::string check_text(const maintenance::CheckReport& report, Format format);

// The CSV and JSON cells, written as the report file writes them.
using app::csv_text;
using app::double_quoted;
using app::json_text;

// A text shown on the terminal: control characters as \xNN.
std::string terminal_text(const std::string& text);

}  // namespace vl::cli
