#pragma once
// What the commands print on standard output: the statistics and the check
// report as a table, CSV or JSON.

#include <string>
#include <vector>

#include "cli/check.h"
#include "cli/options.h"
#include "core/form1_model.h"

namespace vl::cli {

struct StatsTable {
  std::vector<std::string> ranges;             // columns
  std::vector<std::string> categories;         // rows: the statistics words
  std::vector<std::vector<long long>> counts;  // counts[category][range]
};

// The counts as the window's statistics columns hold them.
StatsTable stats_table(const Form1Model& form, const std::vector<std::string>& words);
std::string stats_text(const StatsTable& stats, Format format);

std::string check_text(const CheckReport& report, Format format);

// A text as one CSV cell, quoted where it needs to be.
std::string csv_cell(const std::string& text);

}  // namespace vl::cli
