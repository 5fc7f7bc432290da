// generate --aim-per-hour on the real server, in both layouts of the spawn
// tables: the items an hour the written drops bring (as simulate --per-hour
// counts them on the written world), undo, and the runs it refuses.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

// NPCs 1 and 2 (levels 3 and 5) share group 1 at 30:10 on a point that
// respawns in 59 s; NPC 5 (level 20, outside 01-10) shares loottable 1 with
// NPC 1 and stands alone on a 29 s point, so NPC 1's new drop is rolled by
// both. Point 3 (5 s) is disabled. NPC 3 (level 25) stands nowhere.
const Texts kHourlyWorld = {
    "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10),(1003,'i',10)",
    "INSERT INTO loottable (id,name) VALUES (1,'a'),(2,'b'),(3,'c')",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',3,1),(2,'b',5,2),"
    "(3,'c',25,3),(5,'e',20,1)",
    "INSERT INTO spawngroup (id,name) VALUES (1,'camp'),(2,'lone')",
    "INSERT INTO spawnentry (spawngroupID,npcID,chance) VALUES (1,1,30),(1,2,10),(2,5,1)",
    "INSERT INTO spawn2 (id,spawngroupID,respawntime,variance) VALUES (1,1,59,0),(2,2,29,0),"
    "(3,1,5,0)"};

// Kills an hour of the NPCs the new drops go to: all of group 1's and NPC 5's.
const double kKills = 3600 / 59.5 + 3600 / 29.5;
// Two items at chance 50 fill a pass's slot on 75 % of passes.
constexpr double kSlotFills = 0.75;

struct Layout {
  const char* name;
  Texts setup;
  bool whole_numbers;  // loottable_entries.probability holds whole percents
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
const Layout kLayouts[] = {
    {"newer_fractions", {"INSERT INTO spawn2_disabled VALUES (3,0,1)"}, false},
    {"older_whole_numbers",
     {"ALTER TABLE spawn2 ADD enabled TINYINT NOT NULL DEFAULT 1", "DROP TABLE spawn2_disabled",
      "UPDATE spawn2 SET enabled=0 WHERE id=3",
      "ALTER TABLE loottable_entries MODIFY probability TINYINT UNSIGNED NOT NULL DEFAULT 100"},
     true},
};

class AimPerHour : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    reset_world();
    for (const std::string& sql : kHourlyWorld) fixture_sql(sql);
    for (const std::string& sql : GetParam().setup) fixture_sql(sql);
  }
};

// Items an hour of every NPC of the world, as simulate counts them.
double world_items_per_hour() {
  const CliResult result =
      run_cli({"simulate", "--levels", "0-255", "--per-hour", "--format", "json"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return nlohmann::json::parse(result.out)["totals"]["items_per_hour"].get<double>();
}

const Args kAim = {"generate", "--levels", "01-10", "--npc-percent", "101", "--items",
                   "2",        "--chance", "50",    "--seed",        "3",   "--aim-per-hour",
                   "120"};

TEST_P(AimPerHour, WrittenDropsBringTheAimedItemsAndUndoRestoresTheWorld) {
  const double before = world_items_per_hour();
  const bool whole = GetParam().whole_numbers;
  // The plan says its values and figures; the older layout is written from its file by apply.
  const std::string plan = VL_JOURNAL_DIR "/aim_per_hour_plan.json";
  const CliResult planned = run_cli(kAim + Args{"--dry-run", "--plan", plan});
  ASSERT_EQ(planned.exit_code, 0) << planned.err;
  EXPECT_NE(planned.out.find(std::string("Aim: the new drops bringing 120 items per hour (global "
                                         "loot multiplier 1)\n  every drop: probability ") +
                             (whole ? "88" : "87.652934") + ", chance 50\n"),
            std::string::npos)
      << planned.out;
  EXPECT_NE(planned.out.find(std::string("Items per hour from the new drops: at most ") +
                             (whole ? "120.48" : "120.00") +
                             " (every NPC killed the moment it spawns, one instance of each "
                             "zone, conditional spawn points left out)\n"),
            std::string::npos)
      << planned.out;
  const std::string journal = fresh_journal(std::string("aim_per_hour_") + GetParam().name);
  const CliResult written =
      run_cli(journaled(journal, whole ? Args{"apply", plan, "--yes"} : kAim + Args{"--yes"}));
  ASSERT_EQ(written.exit_code, 0) << written.err;

  // One probability for both drops, the closest the column holds to the exact one.
  const Rows probabilities = fixture_rows(
      "SELECT DISTINCT e.probability FROM loottable_entries e JOIN lootdrop d ON "
      "d.id=e.lootdrop_id WHERE d.name LIKE 'lvl_01-10%'");
  ASSERT_EQ(probabilities.size(), 1u);
  // A whole number is within half a percent; a FLOAT column keeps about six digits.
  const double exact = 100 * 120 / (kKills * kSlotFills);
  const double within = whole ? 0.5 : exact * 1e-6;
  EXPECT_NEAR(std::stod(probabilities[0][0]), exact, within);
  EXPECT_NEAR(world_items_per_hour() - before, 120, kKills * kSlotFills / 100 * within);

  ASSERT_EQ(run_cli(journaled(journal, {"undo", "1", "--yes"})).exit_code, 0);
  EXPECT_EQ(fixture_rows("SELECT COUNT(*) FROM lootdrop"), (Rows{{"0"}}));
  EXPECT_DOUBLE_EQ(world_items_per_hour(), before);
}

struct Refusal {
  const char* name;
  Args args;  // after generate --npc-percent 101 --items 2 --seed 3 --yes
  const char* drop_table;
  std::string err;
};
void PrintTo(const Refusal& row, std::ostream* out) { *out << row.name; }
const Refusal kRefusals[] = {
    {"range_never_spawns",
     {"--levels", "21-30", "--aim-per-hour", "5"},
     nullptr,
     "None of the NPCs the run's drops go to ever spawns (no spawn point counted holds them, or "
     "their loottables have no row) or no drop has an item that exists, so no probability brings "
     "items an hour.\nNothing was written.\n"},
    {"beyond_every_spawn",
     {"--levels", "01-10", "--aim-per-hour", "1000"},
     nullptr,
     "Even at probability 100 and chance 100 the run's drops bring at most 182.54 items an hour, "
     "short of the aimed 1000.\nNothing was written.\n"},
    {"no_spawn_tables",
     {"--levels", "01-10", "--aim-per-hour", "5"},
     "spawngroup",
     "The world database has no spawngroup table: items per hour cannot be aimed at without the "
     "spawn tables.\nNothing was written.\n"},
};

class AimPerHourRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(AimPerHourRefused, WritesNothingAndSaysWhy) {
  reset_world();
  for (const std::string& sql : kHourlyWorld) fixture_sql(sql);
  for (const std::string& sql : kLayouts[0].setup) fixture_sql(sql);
  if (GetParam().drop_table) fixture_sql(std::string("DROP TABLE ") + GetParam().drop_table);
  const CliResult result =
      run_cli(Args{"generate", "--npc-percent", "101", "--items", "2", "--seed", "3", "--yes"} +
              GetParam().args);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, GetParam().err);
  EXPECT_EQ(fixture_rows("SELECT COUNT(*) FROM lootdrop"), (Rows{{"0"}}));
}

INSTANTIATE_TEST_SUITE_P(Layouts, AimPerHour, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Rows, AimPerHourRefused, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
