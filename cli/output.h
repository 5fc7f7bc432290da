#pragma once
// What the commands print on standard output: the statistics and the check
// report as a table, CSV or JSON.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/check.h"
#include "cli/options.h"
#include "maintenance/drop_counts.h"

namespace vl::cli {

using maintenance::StatsTable;
std::string stats_text(const StatsTable& stats, Format format);

std::string check_text(const CheckReport& report, Format format);

// A text cell of a CSV file: quoted when it holds a comma, a quote or a line
// break, and led by ' when it begins like a spreadsheet formula (= + - @, a
// tab or CR).
std::string csv_text(const std::string& text);

// "text" with every quote in it doubled, as CSV quotes a cell.
std::string double_quoted(const std::string& text);

// The JSON text of `value`; bytes that are no UTF-8 become U+FFFD, said once
// on standard error.
std::string json_text(const nlohmann::ordered_json& value);

// A text shown on the terminal: control characters as \xNN.
std::string terminal_text(const std::string& text);

}  // namespace vl::cli
