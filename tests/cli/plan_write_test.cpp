// One "write a plan" use case: the Preview's "Write all at once", generate
// --atomic and apply of a saved plan write the same rows from the same seed and
// leave the same run in the journal; and the one table from the writer's
// outcome to the run's ending.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "app/plan_write.h"
#include "app/window/preview_run.h"
#include "journal/store.h"
#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

// clang-format off
const Args kSettings = {"--levels", "01-10", "--npc-percent", "101", "--items", "2", "--chance", "10",
                        "--probability", "50", "--seed", "7"};
// clang-format on

void make_world() {
  reset_world();
  fixture_sql(
      "INSERT INTO items (id,name,itemtype) VALUES (1001,'a',10),(1002,'b',10),(1003,'c',10)");
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (40,'old')");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',3,7),(2,'m',5,8),"
      "(3,'o',9,9),(4,'p',30,7)");
}

// The Preview's plan of the same settings and seed, written all at once.
void write_from_preview(const std::string&, const std::string& journal_path) {
  ProgramState session;
  configure(session);
  app::WindowSettings settings;
  settings.low = "01", settings.high = "10", settings.percent_of_npcs = "101";
  settings.chance = "10", settings.probability = "50", settings.items = 2;
  app::PreviewOutcome made =
      app::make_preview(session, settings, 7, [](app::PreviewStep) { return true; });
  ASSERT_TRUE(made.preview) << made.message;
  app::WindowJournal journal(journal_path);
  const app::PreviewWrite written =
      app::write_preview(*made.preview, session, journal, [] { return false; });
  EXPECT_EQ(std::pair(written.outcome, written.message.substr(0, 42)),
            std::pair(loot::AtomicOutcome::committed,
                      std::string("Written in one transaction: 3 drops with 6")));
}

struct Way {
  const char* name;
  std::function<void(const std::string& folder, const std::string& journal)> write;
  const char* command;  // the journal's name of the run
};

const Way kWays[] = {
    {"preview", write_from_preview, "preview"},
    {"apply",
     [](const std::string& folder, const std::string& journal) {
       const std::string plan = folder + "/plan.json";
       ASSERT_EQ(
           run_cli(Args{"generate"} + kSettings + Args{"--dry-run", "--plan", plan}).exit_code, 0);
       const CliResult applied = run_cli(journaled(journal, {"apply", plan, "--yes"}));
       ASSERT_EQ(applied.exit_code, 0) << applied.err;
     },
     "apply"},
    {"atomic",
     [](const std::string&, const std::string& journal) {
       const CliResult written =
           run_cli(journaled(journal, Args{"generate"} + kSettings + Args{"--atomic", "--yes"}));
       ASSERT_EQ(written.exit_code, 0) << written.err;
     },
     "generate"},
};

class OnePlanWrite : public ::testing::TestWithParam<Way> {};

TEST_P(OnePlanWrite, LeavesTheSameRowsAndTheSameRunInTheJournal) {
  const std::string folder = VL_JOURNAL_DIR "/plan_write_" + std::string(GetParam().name);
  const std::string journal = folder + "/journal.sqlite3";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  make_world();
  GetParam().write(folder, journal);
  journal::Store store(journal, journal::Store::Access::read_only);
  const std::vector<journal::RunInfo> runs = store.runs();
  ASSERT_EQ(runs.size(), 1u);
  // 3 lootdrops, 6 entries, 3 loottable entries.
  EXPECT_EQ(std::tuple(runs[0].command, runs[0].outcome, runs[0].rows),
            std::tuple(std::string(GetParam().command), std::string("completed"), 12));
  EXPECT_EQ(
      fixture_value("SELECT GROUP_CONCAT(l.id,':',l.name,':',e.item_id ORDER BY l.id,e.item_id) "
                    "FROM lootdrop l JOIN lootdrop_entries e ON e.lootdrop_id=l.id"),
      "41:lvl_01-10_CUSTOM_armour:1001,41:lvl_01-10_CUSTOM_armour:1003,"
      "42:lvl_01-10_CUSTOM_armour:1001,42:lvl_01-10_CUSTOM_armour:1002,"
      "43:lvl_01-10_CUSTOM_armour:1001,43:lvl_01-10_CUSTOM_armour:1002");
  EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(loottable_id,':',lootdrop_id ORDER BY "
                          "loottable_id) FROM loottable_entries"),
            "7:41,8:42,9:43");
}

INSTANTIATE_TEST_SUITE_P(Ways, OnePlanWrite, ::testing::ValuesIn(kWays),
                         [](const auto& info) { return std::string(info.param.name); });

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
