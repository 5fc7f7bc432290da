// simulate --per-hour against the real server, in both layouts of the spawn
// tables: the figures of a small world worked out by hand, and a missing table.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_process.h"
#include "support/simulate_texts.h"

namespace vl::test {
namespace {

using Texts = std::vector<std::string>;

// Orc (loottable 1: item 1001 at 50 %, rolled on its own) and bat (no loot)
// share group 1 at 30:10; group 2 holds the orc from 22 to 3 o'clock and an
// NPC the world lacks. Rat stands nowhere. Point 2 is disabled, 4 waits on a
// condition, 5's variance is over twice its respawn time.
const Texts kSpawnWorld = {
    "INSERT INTO items (id,name) VALUES (1001,'a')",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'orc',10,1),(2,'bat',10,0),"
    "(3,'rat',10,1)",
    "INSERT INTO loottable (id) VALUES (1)",
    "INSERT INTO lootdrop (id) VALUES (1)",
    "INSERT INTO loottable_entries VALUES (1,1,1,100,0,0)",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (1,1001,50)",
    "INSERT INTO spawngroup (id,name) VALUES (1,'camp'),(2,'night')",
    "INSERT INTO spawnentry (spawngroupID,npcID,chance,min_time,max_time) VALUES (1,1,30,0,0),"
    "(1,2,10,0,0),(2,1,10,22,3),(2,999,10,0,0)",
    "INSERT INTO spawn2 (id,spawngroupID,respawntime,variance,_condition) VALUES (1,1,1199,0,0),"
    "(2,1,599,0,0),(3,2,359,100,0),(4,1,599,0,2),(5,1,599,2000,0)"};
const Texts kNewerDisabled = {
    // Instance 5's row leaves point 1 spawning in every other instance.
    "INSERT INTO spawn2_disabled VALUES (2,0,1),(1,5,1)"};
const Texts kOlderDisabled = {"ALTER TABLE spawn2 ADD enabled TINYINT NOT NULL DEFAULT 1",
                              "DROP TABLE spawn2_disabled",
                              "UPDATE spawn2 SET enabled=0 WHERE id=2"};

constexpr double kCamp = 3600 / 1199.5, kNight = 3600 / 359.5, kCondition = 3600 / 599.5;

struct Layout {
  const char* name;
  Texts disabled;
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
const Layout kLayouts[] = {{"newer", kNewerDisabled}, {"older", kOlderDisabled}};

struct Figures {
  Args options;
  double orc, bat;  // spawns per hour
  long long orc_points, bat_points, conditional_points;
};
// The orc: 3/4 of the camp's kills and a quarter of the night group's.
const Figures kFigures[] = {
    {{}, kCamp * 0.75 + kNight * 0.25, kCamp * 0.25, 2, 1, 1},
    {{"--with-conditional", "--instances", "2"},
     2 * (kCamp * 0.75 + kNight * 0.25 + kCondition * 0.75),
     2 * (kCamp * 0.25 + kCondition * 0.25),
     3,
     2,
     0},
};

class PerHour : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    reset_world();
    for (const std::string& sql : kSpawnWorld) fixture_sql(sql);
    for (const std::string& sql : GetParam().disabled) fixture_sql(sql);
  }
  void TearDown() override { reset_world(); }
};

TEST_P(PerHour, JsonGivesTheHandWorkedFigures) {
  for (const Figures& figures : kFigures) {
    GeneralLog log;
    const CliResult result = run_cli(
        Args{"simulate", "--levels", "10-10", "--per-hour", "--format", "json"} + figures.options);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    // The loot's four SELECTs and the spawn tables' three, however large the world.
    const Texts sent = log.statement_texts();
    EXPECT_EQ(sent.size(), 7u);
    for (const std::string& sql : sent) EXPECT_TRUE(sql.starts_with("SELECT ")) << sql;
    const auto json = nlohmann::json::parse(result.out);
    ASSERT_EQ(json["npcs"].size(), 3u);
    const double spawns[] = {figures.orc, figures.bat, 0};
    const long long points[] = {figures.orc_points, figures.bat_points, 0};
    const double items[] = {figures.orc * 0.5, 0, 0};
    for (std::size_t n = 0; n < 3; ++n) {
      const auto& npc = json["npcs"][n];
      EXPECT_EQ(npc["npc_id"], n + 1);
      EXPECT_EQ(npc["spawn_points"], points[n]) << n;
      EXPECT_NEAR(npc["spawns_per_hour"].get<double>(), spawns[n], 1e-9) << n;
      EXPECT_NEAR(npc["items_per_hour"].get<double>(), items[n], 1e-9) << n;
    }
    const auto& totals = json["totals"];
    EXPECT_EQ(totals["never_spawn"], 1);
    EXPECT_EQ(totals["conditional_points"], figures.conditional_points);
    EXPECT_EQ(totals["dead_points"], nlohmann::json::array({5}));
    EXPECT_EQ(totals["inactive_points"], 1);  // the disabled one
    EXPECT_NEAR(totals["spawns_per_hour"].get<double>(), figures.orc + figures.bat, 1e-9);
    EXPECT_NEAR(totals["items_per_hour"].get<double>(), figures.orc * 0.5, 1e-9);
  }
  const CliResult by_item =
      run_cli({"simulate", "--npc", "1,2", "--per-hour", "--by-item", "--format", "json"});
  ASSERT_EQ(by_item.exit_code, 0) << by_item.err;
  const auto json = nlohmann::json::parse(by_item.out);
  ASSERT_EQ(json["by_item"].size(), 1u);
  EXPECT_EQ(json["by_item"][0]["item_name"], "a");
  EXPECT_NEAR(json["by_item"][0]["items_per_hour"].get<double>(), kFigures[0].orc * 0.5, 1e-9);
}

TEST_P(PerHour, MissingSpawnTableIsNamed) {
  for (const char* table : {"spawnentry", "spawn2_disabled"}) {
    if (std::string(GetParam().name) == "older" && std::string(table) == "spawn2_disabled")
      continue;
    fixture_sql(std::string("DROP TABLE ") + table);
    const CliResult result = run_cli({"simulate", "--levels", "10-10", "--per-hour"});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string("The world database has no ") + table +
                              " table: items per hour cannot be worked out without the spawn "
                              "tables.\n");
    reset_world();
  }
  // Without --per-hour the spawn tables are not needed.
  EXPECT_EQ(run_cli({"simulate", "--levels", "10-10"}).exit_code, 0);
}

// The words around the figures: footer, notes, CSV and usage errors (newer layout).
struct TextRow {
  const char* name;
  Args args;
  int exit_code;
  std::string out, err;
};
const std::string kFooter =
    "1 spawn point waiting on a condition left out (--with-conditional counts them).\n"
    "Spawn point 5 never spawns: its variance is over twice the respawn time, so the server's "
    "timer can wrap to weeks.\n";
const std::string kAssumed =
    "Per hour, assumed:\n- every NPC is killed the moment it spawns (an upper bound), so spawn "
    "limits (spawngroup.spawn_limit, npc_types.spawn_limit) never bind\n- every zone runs with its "
    "points' version and content filters passing; spawn2_disabled rows of a particular instance "
    "are not applied\n- a point whose respawn variance is over twice its respawn time is counted "
    "as "
    "never spawning\n";
// Orc: 3600/1199.5 x 0.75 + 3600/359.5 x 0.25 = 4.75441 spawns, half an item each.
const TextRow kTextRows[] = {
    {"by_item_table",
     {"--npc", "1", "--by-item"},
     0,
     "item 1001 a: 2.37721 per hour\nItems per hour: 2.37721 from 4.75441 spawns per hour of 1 NPC "
     "(1 instance of each zone).\n" +
         kFooter + kLeftOut + kAssumed,
     ""},
    {"csv_totals_on_standard_error",
     {"--levels", "10-10", "--format", "csv"},
     0,
     "npc_id,npc_name,npc_level,loottable_id,p_any,expected_items,item_id,item_name,expected,"
     "spawn_points,spawns_per_hour,items_per_hour\n1,orc,10,1,0.5,0.5,1001,a,0.5,2,4.75441,2."
     "37721\n"
     "2,bat,10,0,0,0,,,,1,0.750313,0\n3,rat,10,1,0.5,0.5,1001,a,0.5,0,0,0\n",
     kLeftOut +
         "Items per hour: 2.37721 from 5.50473 spawns per hour of 3 NPCs (1 instance of each "
         "zone).\n1 NPC of the range never spawns.\n" +
         kFooter + kAssumed},
    {"instances_over_limit",
     {"--npc", "1", "--instances", "1001"},
     64,
     "",
     "vandril_loot_cli: --instances 1001 is not a whole number from 1 to 1000\n"},
};
void PrintTo(const TextRow& row, std::ostream* out) { *out << row.name; }

class PerHourText : public ::testing::TestWithParam<TextRow> {};

TEST_P(PerHourText, SaysWhatTheFiguresMean) {
  reset_world();
  for (const std::string& sql : kSpawnWorld) fixture_sql(sql);
  for (const std::string& sql : kNewerDisabled) fixture_sql(sql);
  const TextRow& row = GetParam();
  const CliResult result = run_cli(Args{"simulate", "--per-hour"} + row.args);
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(result.out, row.out);
  EXPECT_EQ(result.err, row.err);
}

INSTANTIATE_TEST_SUITE_P(Rows, PerHourText, ::testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Layouts, PerHour, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
