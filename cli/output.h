#pragma once
// What the commands print on standard output, written by app's reports.

#include "app/plan_report.h"
#include "app/world_reports.h"

namespace vl::cli {

using app::check_text;
using app::csv_text;
using app::double_quoted;
using app::json_text;
using app::stats_text;
using app::terminal_text;

}  // namespace vl::cli
