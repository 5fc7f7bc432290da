// The aim solver against hand-worked figures, each drop then written as the
// run writes it (compose_drop) and checked against the closed forms and
// against rolled kills.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

#include "core/numeric_text.h"
#include "loot/aim_solver.h"
#include "loot/drop_rows.h"
#include "loot/kill_roller.h"

namespace vl::test {
namespace {

using loot::ProbabilityColumn;
constexpr auto kWhole = ProbabilityColumn::whole_numbers;
constexpr auto kFractions = ProbabilityColumn::fractions;

enum class Aim { drop_rate, level_to };
enum class Outcome { drop, already_at_aim, none };

struct AimRow {
  const char* name;
  Aim aim;
  double percent;
  int items;
  double chance;
  int loot_multiplier;
  ProbabilityColumn column;
  int level;
  Outcome outcome;
  double probability = 0, chance_written = 0;
  bool raised = false;
  double achieved = 0;  // the drop's rate, the NPC's after it, or where it already is
  std::int64_t loottable = 1;
};

// Loottable 1 holds lootdrop 10 (each entry rolls on its own): item 101 at 20
// for NPC levels 1-10, item 102 at 50 from level 11. Before any new drop a
// level-5 NPC gives something on 20 % of kills (36 % with G = 2), a level-20
// one on 50 %. Loottable 2 has no row. A drop of k items at chance 10 fills
// its slot with q = 1 - 0.9^k (0.40951 for k = 5).
const AimRow kRows[] = {
    // 0.05 / 0.1 = 0.5.
    {"k1_g1_whole", Aim::drop_rate, 5, 1, 10, 1, kWhole, 5, Outcome::drop, 50, 10, false, 0.05},
    // 0.05 / q = 12.2097: 12 x q = 0.0491412 misses by less than 13 x q = 0.0532363.
    {"k5_g1_whole", Aim::drop_rate, 5, 5, 10, 1, kWhole, 5, Outcome::drop, 12, 10, false,
     0.0491412},
    {"k5_g1_fractions", Aim::drop_rate, 5, 5, 10, 1, kFractions, 5, Outcome::drop, 12.209714, 10,
     false, 0.12209714 * 0.40951},
    // (1 - 0.7^0.5) / q = 0.39886687.
    {"k5_g2_fractions", Aim::drop_rate, 30, 5, 10, 2, kFractions, 5, Outcome::drop, 39.886687, 10,
     false, 1 - (1 - 0.39886687 * 0.40951) * (1 - 0.39886687 * 0.40951)},
    // (1 - 0.85^0.5) / 0.1 = 78.05: 1 - 0.922^2 = 0.149916 beats 1 - 0.921^2 = 0.151759.
    {"k1_g2_whole", Aim::drop_rate, 15, 1, 10, 2, kWhole, 5, Outcome::drop, 78, 10, false,
     0.149916},
    // Exactly 50.499 rounds to 50, but 1 - 0.49^2 = 0.7599 misses 0.754965 by less than 0.75.
    {"g2_closest_rate_not_nearest_probability", Aim::drop_rate, 75.4965, 1, 100, 2, kWhole, 5,
     Outcome::drop, 51, 100, false, 0.7599},
    // 100 at chance 10 gives 0.1; chance 50 reaches 0.5 exactly, 49 does not.
    {"chance_raised_reaching_exactly", Aim::drop_rate, 50, 1, 10, 1, kWhole, 5, Outcome::drop, 100,
     50, true, 0.5},
    // Chance 7 reaches 0.07 exactly, though 100 x (1 - 0.93) comes out a hair above 7.
    {"chance_raised_to_the_aim", Aim::drop_rate, 7, 1, 5, 1, kWhole, 5, Outcome::drop, 100, 7, true,
     0.07},
    // 1 - 0.96^5 = 0.18463 < 0.2 <= 1 - 0.95^5 = 0.22622; 0.2 / 0.22622 = 88.41 -> 88.
    {"chance_raised_k5_whole", Aim::drop_rate, 20, 5, 1, 1, kWhole, 5, Outcome::drop, 88, 5, true,
     0.88 * (1 - 0.95 * 0.95 * 0.95 * 0.95 * 0.95)},
    // 1 - 0.71^2 = 0.4959 < 0.5 <= 1 - 0.7^2 = 0.51; (1 - 0.5^0.5) / 0.3 = 0.97631073.
    {"chance_raised_g2_fractions", Aim::drop_rate, 50, 1, 10, 2, kFractions, 5, Outcome::drop,
     97.631073, 30, true, 1 - (1 - 0.29289322) * (1 - 0.29289322)},
    // The drop needs 1 - 0.7 / 0.8 = 0.125 = 30.52 x q: 31 x q = 0.1269481 is closer than 30.
    {"level_to_below", Aim::level_to, 30, 5, 10, 1, kWhole, 5, Outcome::drop, 31, 10, false,
     1 - 0.8 * (1 - 0.1269481)},
    {"level_to_at_aim", Aim::level_to, 20, 5, 10, 1, kWhole, 5, Outcome::already_at_aim, 0, 0,
     false, 0.2},
    {"level_to_above_aim", Aim::level_to, 10, 5, 10, 1, kWhole, 5, Outcome::already_at_aim, 0, 0,
     false, 0.2},
    // Level 20 sees item 102 alone.
    {"level_bounds_high_level_above_aim", Aim::level_to, 30, 5, 10, 1, kWhole, 20,
     Outcome::already_at_aim, 0, 0, false, 0.5},
    // 1 - 0.4 / 0.5 = 0.2 = 48.84 x q: 49 x q = 0.2006599.
    {"level_bounds_high_level_below", Aim::level_to, 60, 5, 10, 1, kWhole, 20, Outcome::drop, 49,
     10, false, 1 - 0.5 * (1 - 0.2006599)},
    // 0.125 needs chance 13 (12 gives 0.12); 0.125 / 0.13 = 0.96153846.
    {"level_to_raised_fractions", Aim::level_to, 30, 1, 10, 1, kFractions, 5, Outcome::drop,
     96.153846, 13, true, 1 - 0.8 * (1 - 0.96153846 * 0.13)},
    // 1 - 0.5 / 0.64 = 0.21875 = 1 - (1 - 28.36 x q)^2: 28 gives 0.2161780, 29 0.2234124.
    {"level_to_g2", Aim::level_to, 50, 5, 10, 2, kWhole, 5, Outcome::drop, 28, 10, false,
     1 - 0.64 * (1 - 0.21617804229616)},
    {"level_to_missing_loottable", Aim::level_to, 30, 5, 10, 1, kWhole, 5, Outcome::none, 0, 0,
     false, 0, 2},
    {"no_items", Aim::drop_rate, 5, 0, 10, 1, kWhole, 5, Outcome::none},
    {"level_to_no_items", Aim::level_to, 30, 0, 10, 1, kFractions, 5, Outcome::none},
};

void PrintTo(const AimRow& row, std::ostream* out) { *out << row.name; }

loot::LootTables npc_loot() {
  loot::LootTables tables;
  for (std::int64_t id = 1; id <= 200; ++id) tables.items.insert(id);
  tables.loottables[1].push_back({10, 1, 100, 0, 0});
  tables.lootdrops[10] = {{101, 20, 1, 1, 10}, {102, 50, 1, 11, 0}};
  return tables;
}

loot::CustomDrop drop_of(const AimRow& row) { return {row.items, row.chance, row.loot_multiplier}; }

std::optional<loot::NpcAim> solve(const AimRow& row, const loot::LootTables& tables) {
  if (row.aim == Aim::level_to)
    return loot::aim_npc_rate(row.percent / 100, tables, row.loottable, row.level, drop_of(row),
                              row.column);
  const auto aimed = loot::aim_drop_rate(row.percent / 100, drop_of(row), row.column);
  if (!aimed) return std::nullopt;
  return *aimed;
}

// The drop's rows as the run composes them (items 1..k, lootdrop 500),
// read back into the closed forms' rows; returns its loottable entry.
loot::LoottableEntry add_written_drop(loot::LootTables& tables, const AimRow& row,
                                      const loot::AimedDrop& aimed) {
  std::vector<std::int32_t> items;
  for (int item = 1; item <= row.items; ++item) items.push_back(item);
  const loot::DropRows rows =
      loot::compose_drop("aimed", items, aimed.chance, aimed.probability, row.loottable, 500);
  for (const db::LootdropEntryRow& entry : rows.entries)
    tables.lootdrops[500].push_back({entry.item_id, numeric_value(entry.chance), entry.multiplier});
  const loot::LoottableEntry link{rows.link.lootdrop_id, rows.link.multiplier,
                                  numeric_value(rows.link.probability), rows.link.droplimit,
                                  rows.link.mindrop};
  tables.loottables[row.loottable].push_back(link);
  return link;
}

// Of 200,000 rolled kills, the shares giving anything and giving a new item.
struct Shares {
  double any = 0, new_item = 0;
};
Shares roll_kills(const loot::LootTables& tables, const AimRow& row) {
  constexpr int kKills = 200'000;
  const loot::KillRoller roller(tables, row.loottable, row.level, row.loot_multiplier);
  std::mt19937_64 random(37);
  std::vector<std::int64_t> drops;
  Shares shares;
  for (int kill = 0; kill < kKills; ++kill) {
    roller.roll(random, drops);
    shares.any += drops.empty() ? 0 : 1;
    shares.new_item += std::any_of(drops.begin(), drops.end(), [](auto id) { return id <= 100; });
  }
  shares.any /= kKills;
  shares.new_item /= kKills;
  return shares;
}

// Within 5 standard errors of a share of 200,000 kills.
void expect_rolled(double share, double expected, const char* what) {
  const double error = std::sqrt(expected * (1 - expected) / 200'000);
  EXPECT_LE(std::fabs(share - expected), 5 * error + 1e-12)
      << what << ": rolled " << share << " against " << expected;
}

class AimSolver : public ::testing::TestWithParam<AimRow> {};

TEST_P(AimSolver, SolvesTheHandWorkedDropAndTheWrittenRowsGiveItsRate) {
  const AimRow& row = GetParam();
  loot::LootTables tables = npc_loot();
  const double before =
      loot::drop_rates(tables, row.loottable, row.level, row.loot_multiplier).p_any;
  const auto solved = solve(row, tables);

  if (row.outcome == Outcome::none) {
    EXPECT_FALSE(solved.has_value());
    return;
  }
  ASSERT_TRUE(solved.has_value());
  if (row.outcome == Outcome::already_at_aim) {
    const auto* already = std::get_if<loot::AlreadyAtAim>(&*solved);
    ASSERT_NE(already, nullptr);
    EXPECT_NEAR(already->p_any, row.achieved, 1e-12);
    return expect_rolled(roll_kills(tables, row).any, row.achieved, "already");
  }
  const auto* aimed = std::get_if<loot::AimedDrop>(&*solved);
  ASSERT_NE(aimed, nullptr);
  EXPECT_EQ(aimed->probability, row.probability);
  EXPECT_EQ(aimed->chance, row.chance_written);
  EXPECT_EQ(aimed->chance_raised, row.raised);
  EXPECT_NEAR(aimed->achieved, row.achieved, 1e-8);

  const loot::LoottableEntry link = add_written_drop(tables, row, *aimed);
  const double after =
      loot::drop_rates(tables, row.loottable, row.level, row.loot_multiplier).p_any;
  const double drop_rate = loot::entry_p_any(tables, link, row.level, row.loot_multiplier);
  EXPECT_NEAR(drop_rate, aimed->drop_rate, 1e-12);
  EXPECT_NEAR(after, 1 - (1 - before) * (1 - drop_rate), 1e-12);
  EXPECT_NEAR(row.aim == Aim::level_to ? after : drop_rate, aimed->achieved, 1e-12);

  const Shares rolled = roll_kills(tables, row);
  expect_rolled(rolled.new_item, drop_rate, "new item");
  expect_rolled(rolled.any, after, "anything");
}

INSTANTIATE_TEST_SUITE_P(Rows, AimSolver, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AimSummary, CountsRatesAlreadyAtAimCannotDropAndRaisedChances) {
  loot::AimSummary summary;
  summary.add(loot::AimedDrop{12, 10, false, 0.2, 0.29});
  summary.add(std::optional<loot::NpcAim>(loot::AimedDrop{100, 17, true, 0.3, 0.31}));
  summary.add(loot::AimedDrop{90, 17, true, 0.25, 0.30});
  summary.add(loot::AimedDrop{80, 20, true, 0.25, 0.33});
  summary.add(std::optional<loot::NpcAim>(loot::AlreadyAtAim{0.412}));
  summary.add(std::optional<loot::NpcAim>());
  EXPECT_EQ(summary.drops, 4u);
  EXPECT_DOUBLE_EQ(summary.lowest, 0.29);
  EXPECT_DOUBLE_EQ(summary.highest, 0.33);
  EXPECT_DOUBLE_EQ(summary.mean(), 0.3075);
  EXPECT_EQ(summary.already_at_aim, 1u);
  EXPECT_EQ(summary.cannot_drop, 1u);
  EXPECT_EQ(summary.raised(), 3u);
  EXPECT_EQ(summary.raised_to, (std::map<int, std::size_t>{{17, 2}, {20, 1}}));
}

TEST(AimLimits, RefusesAnAimOfNothingOrAboveAllKills) {
  for (const double aim : {0.0, -0.1, 1.0001}) {
    EXPECT_THROW(loot::aim_drop_rate(aim, {5, 10, 1}, kWhole), std::invalid_argument) << aim;
    EXPECT_THROW(loot::aim_npc_rate(aim, 0.1, {5, 10, 1}, kWhole), std::invalid_argument) << aim;
  }
  EXPECT_EQ(loot::aim_drop_rate(1, {5, 10, 1}, kWhole)->chance, 100);
}

// Drop A (2 items at 10 %) is rolled 100 times an hour, B (1 item) 50 times, C
// (no item that exists) 1000 times: at probability 100 they bring 100 x 0.19 +
// 50 x 0.1 = 24 items an hour, twice that with G = 2.
struct HourlyRow {
  const char* name;
  double aim;
  ProbabilityColumn column;
  int loot_multiplier;
  double probability, chance;  // 0, 0: refused
  double items_per_hour;
};
const HourlyRow kHourlyRows[] = {
    {"half_of_all", 12, kWhole, 1, 50, 10, 12},
    {"closest_whole", 10, kWhole, 1, 42, 10, 10.08},
    {"exact_fraction", 10, kFractions, 1, 41.666667, 10, 24 * 0.41666667},
    {"twice_the_passes", 24, kWhole, 2, 50, 10, 24},
    // 100 (1 - 0.87^2) + 50 x 0.13 = 30.81 reaches 30 where chance 12 gives 28.56.
    {"chance_raised", 30, kWhole, 1, 97, 13, 0.97 * 30.81},
    {"beyond_chance_100", 151, kWhole, 1, 0, 0, 0},
};
void PrintTo(const HourlyRow& row, std::ostream* out) { *out << row.name; }

class AimPerHour : public ::testing::TestWithParam<HourlyRow> {};

TEST_P(AimPerHour, OneProbabilityForAllDropsBringsTheAimedItems) {
  const HourlyRow& row = GetParam();
  const int g = row.loot_multiplier;
  const std::vector<loot::HourlyDrop> drops = {
      {{2, 10, g}, 100}, {{1, 10, g}, 50}, {{0, 10, g}, 1000}};
  if (row.probability == 0) {
    EXPECT_THROW(loot::aim_items_per_hour(row.aim, drops, row.column), loot::AimOutOfReach);
    return;
  }
  const loot::HourlyAim solved = loot::aim_items_per_hour(row.aim, drops, row.column);
  EXPECT_EQ(solved.probability, row.probability);
  EXPECT_EQ(solved.chance, row.chance);
  EXPECT_EQ(solved.chance_raised, row.chance != 10);
  EXPECT_NEAR(solved.items_per_hour, row.items_per_hour, 1e-9);
  // Drop A as the run writes it, through the closed forms of every loot table.
  loot::LootTables tables;
  tables.items = {1, 2};
  tables.lootdrops[7] = {{1, solved.chance, 1}, {2, solved.chance, 1}};
  tables.loottables[1] = {{7, 1, solved.probability, 1, 0}};
  EXPECT_NEAR(loot::drop_rates(tables, 1, 5, g).expected_items,
              loot::custom_drop_items({2, solved.chance, g}, solved.probability), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Rows, AimPerHour, ::testing::ValuesIn(kHourlyRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
