// How a run written statement by statement ended, as the journal records it
// and as the command line's exit code tells it: both from the one value.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/command_journal.h"
#include "cli/exit_codes.h"
#include "journal/stored_ending.h"

namespace vl::test {
namespace {

struct StepwiseRow {
  const char* name;
  app::StepwiseEnd end;
  std::string_view stored;  // the word the journal keeps
  journal::Written written;
  int exit_code;
};

class StepwiseEndToEnding : public ::testing::TestWithParam<StepwiseRow> {};

TEST_P(StepwiseEndToEnding, EndsTheRunAndTheCommandAlike) {
  const StepwiseRow& row = GetParam();
  const app::RunEnding ending = app::run_ending(row.end);
  EXPECT_EQ(journal::stored_ending(ending.ending), row.stored);
  EXPECT_EQ(ending.written, row.written);
  EXPECT_EQ(cli::exit_code_of(row.end), row.exit_code);
}

using journal::Written;
using vl::Ending;
const StepwiseRow kStepwiseEnds[] = {
    {"completed", {Ending::completed, true}, "completed", Written::all, 0},
    {"completed_nothing_to_do", {Ending::completed, false}, "completed", Written::all, 0},
    {"refused", {Ending::refused, false}, "failed", Written::as_heard, 1},
    {"stopped_before_writing", {Ending::stopped_part_way, false}, "failed", Written::as_heard, 1},
    {"stopped_part_way", {Ending::stopped_part_way, true}, "failed", Written::as_heard, 3},
    {"not_connected", {Ending::connection_lost, false}, "interrupted", Written::as_heard, 2},
    {"server_lost_part_way", {Ending::connection_lost, true}, "interrupted", Written::as_heard, 3},
    {"interrupted_before_writing",
     {Ending::completed, false, true},
     "stopped",
     Written::as_heard,
     130},
    {"interrupted_part_way", {Ending::completed, true, true}, "stopped", Written::as_heard, 130},
};

INSTANTIATE_TEST_SUITE_P(Ends, StepwiseEndToEnding, ::testing::ValuesIn(kStepwiseEnds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
