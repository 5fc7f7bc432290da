// The one table from how a plan writer ended to the run's ending in the journal
// (every way of writing a plan ends its run by it), the word the journal keeps,
// and the command line's exit code.

#include <gtest/gtest.h>

#include <string_view>

#include "app/plan_write.h"
#include "cli/exit_codes.h"
#include "journal/stored_ending.h"

namespace vl::test {
namespace {

struct EndingRow {
  const char* name;
  Ending outcome;
  std::string_view stored;  // the word the journal keeps
  journal::Written written;
  int exit_code;
};

class OutcomeToEnding : public ::testing::TestWithParam<EndingRow> {};

TEST_P(OutcomeToEnding, EndsTheRunByTheOneTable) {
  const EndingRow& row = GetParam();
  const app::RunEnding ending = app::run_ending(row.outcome);
  EXPECT_EQ(journal::stored_ending(ending.ending), row.stored);
  EXPECT_EQ(ending.written, row.written);
  EXPECT_EQ(cli::exit_code_of(row.outcome), row.exit_code);
}

using journal::Written;
const EndingRow kEndings[] = {
    {"committed", Ending::completed, "completed", Written::all, 0},
    {"rolled_back", Ending::rejected, "failed", Written::none, 1},
    {"refused", Ending::refused, "failed", Written::none, 1},
    {"stopped", Ending::interrupted, "stopped", Written::none, 130},
    {"server_lost", Ending::connection_lost, "interrupted", Written::none, 2},
    {"commit_unknown", Ending::commit_unknown, "commit unknown", Written::unknown, 5},
    {"journal_refused", Ending::journal_refused, "failed", Written::none, 1},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, OutcomeToEnding, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
