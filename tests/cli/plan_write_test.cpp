// The one table from a plan writer's outcome to the run's ending in the journal
// (every way of writing a plan ends its run by it).

#include <gtest/gtest.h>

#include "app/plan_write.h"

namespace vl::test {
namespace {

struct EndingRow {
  const char* name;
  loot::AtomicOutcome outcome;
  journal::Ending ending;
  journal::Written written;
};

class OutcomeToEnding : public ::testing::TestWithParam<EndingRow> {};

TEST_P(OutcomeToEnding, EndsTheRunByTheOneTable) {
  const EndingRow& row = GetParam();
  EXPECT_EQ(app::run_ending(row.outcome), (app::RunEnding{row.ending, row.written}));
}

using journal::Ending;
using journal::Written;
using loot::AtomicOutcome;
const EndingRow kEndings[] = {
    {"committed", AtomicOutcome::committed, Ending::completed, Written::all},
    {"rolled_back", AtomicOutcome::rejected, Ending::failed, Written::none},
    {"refused", AtomicOutcome::refused, Ending::failed, Written::none},
    {"stopped", AtomicOutcome::interrupted, Ending::stopped, Written::none},
    {"server_lost", AtomicOutcome::lost, Ending::server_lost, Written::none},
    {"commit_unknown", AtomicOutcome::commit_unknown, Ending::commit_unknown, Written::unknown},
    {"journal_refused", AtomicOutcome::journal_refused, Ending::failed, Written::none},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, OutcomeToEnding, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
