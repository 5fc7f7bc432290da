#pragma once
// Show Stats' counts and the world check as a table, CSV or JSON, and names
// read from the world as a terminal shows them.

#include <string>

#include "app/output_format.h"
#include "app/plan_report.h"
#include "maintenance/drop_counts.h"
#include "maintenance/world_check.h"

namespace vl::app {

using maintenance::StatsTable;
std::string stats_text(const StatsTable& stats, Format format);

std::string check_text(const maintenance::CheckReport& report, Format format);

// A text shown on the terminal: control characters as \xNN.
std::string terminal_text(const std::string& text);

}  // namespace vl::app
