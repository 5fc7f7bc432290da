// simulate --level-to: the probability each NPC's drop would need, checked
// against the closed forms worked by hand, in a world that keeps whole-number
// probabilities and in one that keeps fractions; and its usage refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "support/cli_process.h"
#include "support/general_log.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

struct UsageRow {
  const char* name;
  Args args;
  std::string err;
};

class SimulateAimUsage : public ::testing::TestWithParam<UsageRow> {};

TEST_P(SimulateAimUsage, IsRefusedBeforeAnyConnection) {
  const GeneralLog log;
  const CliResult result = run_cli(GetParam().args);
  EXPECT_EQ(result.exit_code, 64);
  EXPECT_EQ(result.err, GetParam().err);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(log.connections().size(), 0u);
}

const std::string kNotAnAim =
    " is not a percent above 0 and at most 100 (decimals allowed, such as 2.5)\n";

// clang-format off
const UsageRow kUsageRows[] = {
  {"aim_above_100", {"simulate", "--levels", "01-10", "--level-to", "100.5"},
   "vandril_loot_cli: --level-to 100.5" + kNotAnAim},
  {"aim_with_kills", {"simulate", "--npc", "1", "--level-to", "30", "--kills", "10"},
   "vandril_loot_cli: --kills and --level-to cannot be given together: leave one of them out; see vandril_loot_cli "
   "help simulate\n"},
  {"items_without_aim", {"simulate", "--npc", "1", "--items", "2"}, "vandril_loot_cli: --items works only with "
   "--level-to: add --level-to, or leave --items out; see vandril_loot_cli help simulate\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, SimulateAimUsage, ::testing::ValuesIn(kUsageRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Loottable 1: five items at chance 10 behind probability 50 (0.5 x 0.40951 per
// kill); 2: one item at 30 (exactly the aim of 30); 3: one at 50 (above it); 4:
// one at 50 for NPCs of level 11 and up; 9: entries without a row.
const Texts kAimWorld = {
    "ALTER TABLE lootdrop_entries ADD npc_min_level TINYINT NOT NULL DEFAULT 0",
    "INSERT INTO items (id,name) VALUES (1001,'a'),(1002,'b'),(1003,'c'),(1004,'d'),(1005,'e')",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'orc',10,1),(2,'imp',10,2),"
    "(3,'ogre',10,3),(4,'rat',10,9),(5,'wolf',10,4),(6,'bear',20,4)",
    "INSERT INTO loottable (id) VALUES (1),(2),(3),(4)",
    "INSERT INTO lootdrop (id) VALUES (1),(2),(3),(4)",
    "INSERT INTO loottable_entries VALUES (1,1,1,50,1,0),(2,2,1,100,1,0),(3,3,1,100,1,0),"
    "(4,4,1,100,1,0),(9,1,1,100,1,0)",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) SELECT 1,seq,10 FROM "
    "seq_1001_to_1005",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance,npc_min_level) VALUES "
    "(2,1001,30,0),(3,1001,50,0),(4,1001,50,11)"};

// One pass of the default drop (five items at chance 10) fills its slot with this chance.
const double kFive = 1 - std::pow(0.9, 5);

struct Needed {
  long long npc_id;
  std::optional<double> whole;     // probability_needed, whole-number column; nullopt: null
  double exact = 0;                // the fraction column's, to a millionth
  std::optional<double> chance{};  // chance_needed
};

struct AimRow {
  const char* name;
  Args args;
  std::vector<Needed> needed;
};

// clang-format off
const AimRow kAimRows[] = {
  // Orc: 1 - 0.7 / (1 - 0.5 f) = P f, 29.247 %; 29 misses the drop's aim by 0.0010, 30 by 0.0031. Imp at 30 %, ogre
  // and bear (level 20, past the bound) at 50 %, rat without a row: null. Wolf (level 10, below the bound) has
  // nothing: P f = 0.3, 73.258 %.
  {"below_at_above_and_no_row", {"simulate", "--levels", "01-20", "--level-to", "30"},
   {{1, 29, 100 * (1 - 0.7 / (1 - 0.5 * kFive)) / kFive}, {2, {}}, {3, {}}, {4, {}}, {5, 73, 100 * 0.3 / kFive},
    {6, {}}}},
  // Two items at 10 reach 19 % at most: the chance is raised to 30, the least with 1 - (1 - c)^2 >= 0.5; then
  // P = 0.5 / 0.51 = 98.04 %.
  {"chance_raised", {"simulate", "--npc", "5", "--level-to", "50", "--items", "2", "--chance", "10"},
   {{5, 98, 100 * 0.5 / 0.51, 30}}},
  // G = 2: the orc has 1 - (1 - 0.5 f)^2; 1 - (1 - P f)^2 must lift it to 0.5: P f = 1 - sqrt(0.5) / (1 - 0.5 f),
  // 27.06 %, of which 27 misses by 0.0005, 28 by 0.0068.
  {"loot_multiplier_2", {"simulate", "--npc", "1", "--level-to", "50", "--loot-multiplier", "2"},
   {{1, 27, 100 * (1 - std::sqrt(0.5) / (1 - 0.5 * kFive)) / kFive}}},
};
// clang-format on

class SimulateAim : public ::testing::TestWithParam<AimRow> {};

TEST_P(SimulateAim, NeedsTheProbabilityOfTheClosedForms) {
  for (const bool whole : {true, false}) {
    SCOPED_TRACE(whole ? "whole numbers" : "fractions");
    reset_world();
    for (const std::string& sql : kAimWorld) fixture_sql(sql);
    fixture_sql(std::string("ALTER TABLE loottable_entries MODIFY probability ") +
                (whole ? "TINYINT UNSIGNED" : "FLOAT") + " NOT NULL DEFAULT 100");
    const CliResult result = run_cli(GetParam().args + Args{"--format", "json"});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    const auto npcs = nlohmann::ordered_json::parse(result.out);
    ASSERT_EQ(npcs.size(), GetParam().needed.size());
    for (std::size_t i = 0; i < npcs.size(); ++i) {
      const Needed& expected = GetParam().needed[i];
      const auto& npc = npcs[i];
      SCOPED_TRACE(npc.dump());
      EXPECT_EQ(npc.at("npc_id"), expected.npc_id);
      const auto& probability = npc.at("probability_needed");
      if (!expected.whole) {
        EXPECT_TRUE(probability.is_null());
      } else if (whole) {
        EXPECT_EQ(probability.get<double>(), *expected.whole);
      } else {
        EXPECT_NEAR(probability.get<double>(), expected.exact, 0.5e-6 + 1e-12);
      }
      if (expected.chance)
        EXPECT_EQ(npc.at("chance_needed").get<double>(), *expected.chance);
      else
        EXPECT_TRUE(npc.at("chance_needed").is_null());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SimulateAim, ::testing::ValuesIn(kAimRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The table and the counts as the operator reads them, in the whole-number layout.
TEST(SimulateAimText, TableAndCounts) {
  reset_world();
  for (const std::string& sql : kAimWorld) fixture_sql(sql);
  fixture_sql("ALTER TABLE loottable_entries MODIFY probability TINYINT UNSIGNED NOT NULL");
  const CliResult table = run_cli({"simulate", "--levels", "01-20", "--level-to", "30"});
  ASSERT_EQ(table.exit_code, 0) << table.err;
  // The orc with 29: 1 - 0.795245 x (1 - 0.29 f); the wolf with 73: 0.73 f.
  EXPECT_EQ(
      table.out.substr(0, table.out.find("Per kill,")),
      "Aim: every NPC gives something on 30 % of kills. The drop assumed: 5 items at chance "
      "10, with the server's global loot multiplier 1; probabilities in whole numbers, as the "
      "world keeps them. A chance is named only where it must be raised.\n"
      "NPC 1 orc (level 10), loottable 1: 20.48 % chance of anything; a drop needs "
      "probability 29, giving 29.9197 %\n"
      "NPC 2 imp (level 10), loottable 2: 30.00 % chance of anything; already at 30 %\n"
      "NPC 3 ogre (level 10), loottable 3: 50.00 % chance of anything; already at 50 %\n"
      "NPC 4 rat (level 10), loottable 9: 0.00 % chance of anything; no drop can reach it: "
      "its loottable has no row\n"
      "NPC 5 wolf (level 10), loottable 4: 0.00 % chance of anything; a drop needs "
      "probability 73, giving 29.8942 %\n"
      "NPC 6 bear (level 20), loottable 4: 50.00 % chance of anything; already at 50 %\n"
      "NPCs: 6; need a drop: 2 (chance raised for 0); already at 30 %: 3; cannot get one (no "
      "loottable row): 1\n");
  const CliResult counts = run_cli(
      {"simulate", "--levels", "01-20", "--level-to", "30", "--summary", "--format", "csv"});
  EXPECT_EQ(counts.out,
            "npcs,level_to,need_drop,chance_raised,already_at_aim,cannot_drop\n6,30,2,0,3,1\n");
}

}  // namespace
}  // namespace vl::test
