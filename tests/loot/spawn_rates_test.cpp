// Spawns per hour against figures worked out on paper for each row, and the
// spawn roller (with the kill roller) against them over 1,000 rolled hours.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "loot/drop_rates.h"
#include "loot/kill_roller.h"
#include "loot/spawn_roller.h"

namespace vl::test {
namespace {

using loot::SpawnEntry;
using loot::SpawnPoint;

struct Expected {
  long long points;
  double per_hour;
  long long conditional_points = 0;
};

struct SpawnRow {
  const char* name;
  std::vector<SpawnPoint>
      points;  // id, group, respawn, variance, condition, value, disabled, group
  std::vector<SpawnEntry> entries;  // group, npc, chance, filter, min_time, max_time, npc exists
  std::map<std::int64_t, Expected> npcs;
  long long dead = 0, conditional = 0, inactive = 0;
  loot::SpawnOptions options{};
};

// Respawn 599.5 s: 6 kills an hour; 359.5 s: 10; 99.5 s: 36.
// clang-format off
const SpawnRow kRows[] = {
    {"chances_30_and_10_share_the_kills", {{1, 1, 599.5}}, {{1, 1, 30}, {1, 2, 10}},
     {{1, {1, 4.5}}, {2, {1, 1.5}}}},
    // Npc 2's window 22-3 is six hours, in which 1 and 2 split; npc 3's window
    // 23-1 is alone in its group: 3 hours of 24.
    {"window_wraps_past_midnight", {{1, 1, 359.5}, {2, 2, 359.5}},
     {{1, 1, 50}, {1, 2, 50, 1, 22, 3}, {2, 3, 10, 1, 23, 1}},
     {{1, {1, 8.75}}, {2, {1, 1.25}}, {3, {1, 1.25}}}},
    {"window_inside_one_day", {{1, 1, 359.5}}, {{1, 1, 10, 1, 7, 12}}, {{1, {1, 2.5}}}},
    {"window_half_set_is_no_window", {{1, 1, 359.5}}, {{1, 1, 10, 1, 0, 12}}, {{1, {1, 10}}}},
    {"disabled_point_spawns_nothing", {{1, 1, 599.5}, {2, 1, 599.5, 0, 0, 1, true}}, {{1, 1, 30}},
     {{1, {1, 6}}}, 0, 0, 1},
    {"missing_group_spawns_nothing", {{1, 1, 599.5, 0, 0, 1, false, false}}, {{1, 1, 30}}, {}, 0, 0, 1},
    {"conditional_point_counted_apart", {{1, 1, 599.5}, {2, 1, 599.5, 0, 4, 1}}, {{1, 1, 30}},
     {{1, {1, 6, 1}}}, 0, 1},
    {"conditional_point_with_conditional", {{1, 1, 599.5}, {2, 1, 599.5, 0, 4, 1}}, {{1, 1, 30}},
     {{1, {2, 12}}}, 0, 0, 0, {1, true}},
    // The point's value 2 lets only the entries filtered on 2 take part.
    {"condition_value_picks_entries", {{1, 1, 599.5, 0, 4, 2}}, {{1, 1, 30}, {1, 2, 30, 2}},
     {{2, {1, 6}}}, 0, 0, 0, {1, true}},
    {"unconditional_point_skips_filtered_entries", {{1, 1, 599.5}}, {{1, 1, 30, 2}, {1, 2, 30}},
     {{2, {1, 6}}}},
    {"variance_over_twice_the_respawn_is_dead", {{1, 1, 100, 201}, {2, 1, 99.5, 199}}, {{1, 1, 1}},
     {{1, {1, 36}}}, 1},
    {"missing_npc_row_left_out", {{1, 1, 599.5}}, {{1, 1, 30}, {1, 9, 10, 1, 0, 0, false}},
     {{1, {1, 6}}}},
    {"chance_0_never_spawns", {{1, 1, 599.5}, {2, 2, 599.5}}, {{1, 1, 30}, {1, 2, 0}, {2, 3, 0}},
     {{1, {1, 6}}}, 0, 0, 1},
    {"two_instances", {{1, 1, 599.5}}, {{1, 1, 30}, {1, 2, 10}}, {{1, {1, 9}}, {2, {1, 3}}}, 0, 0, 0,
     {2, false}},
    {"respawn_under_a_second_spawns_each_second", {{1, 1, 0.5}}, {{1, 1, 5}}, {{1, {1, 3600}}}},
    {"one_group_at_two_points", {{1, 1, 599.5}, {2, 1, 359.5}}, {{1, 1, 30}, {1, 2, 10}},
     {{1, {2, 12}}, {2, {2, 4}}}},
};
// clang-format on

void PrintTo(const SpawnRow& row, std::ostream* out) { *out << row.name; }

class SpawnRates : public ::testing::TestWithParam<SpawnRow> {};

TEST_P(SpawnRates, ClosedFormGivesTheHandWorkedFigures) {
  const SpawnRow& row = GetParam();
  const loot::SpawnRates rates = loot::spawn_rates({row.points, row.entries}, row.options);
  EXPECT_EQ(rates.npcs.size(), row.npcs.size());
  for (const auto& [npc, expected] : row.npcs) {
    EXPECT_EQ(rates.of(npc).points, expected.points) << npc;
    EXPECT_NEAR(rates.of(npc).per_hour, expected.per_hour, 1e-9) << npc;
    EXPECT_EQ(rates.of(npc).conditional_points, expected.conditional_points) << npc;
  }
  EXPECT_EQ(static_cast<long long>(rates.dead_points.size()), row.dead);
  EXPECT_EQ(rates.conditional_points, row.conditional);
  EXPECT_EQ(rates.inactive_points, row.inactive);
}

INSTANTIATE_TEST_SUITE_P(Rows, SpawnRates, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// 1,000 rolled hours of one point (respawn 60 +- 15 s, a window past midnight,
// chances 30/10) whose NPCs drop by loottables 1 and 2: spawns and items per
// hour lie within 5 standard errors (of the hourly counts) of the closed forms.
TEST(SpawnRoller, RolledHoursAgreeWithTheClosedForm) {
  constexpr int kHours = 1000;
  const SpawnPoint point{1, 1, 60, 30};
  const std::vector<SpawnEntry> entries{{1, 1, 30}, {1, 2, 10, 1, 20, 2}};
  loot::LootTables tables;
  tables.items = {7, 8};
  tables.loottables[1] = {{1, 1, 50, 1, 0}};
  tables.loottables[2] = {{2, 2, 100, 0, 0}};
  tables.lootdrops[1] = {{7, 40}, {8, 40}};
  tables.lootdrops[2] = {{8, 25}};

  const loot::SpawnRates rates = loot::spawn_rates({{point}, entries}, {});
  std::map<std::int64_t, double> expected;  // npc spawns and item copies per hour, apart by sign
  for (const std::int64_t npc : {1, 2}) {
    expected[-npc] = rates.of(npc).per_hour;
    for (const loot::ItemRate& item : loot::drop_rates(tables, npc, 10, 1).items)
      expected[item.item_id] += rates.of(npc).per_hour * item.expected;
  }

  std::mt19937_64 random(2026);
  std::vector<std::int64_t> spawned, drops;
  std::vector<double> at;
  loot::SpawnRoller(point, entries).roll(kHours * 3600.0, random, spawned, at);
  const std::map<std::int64_t, loot::KillRoller> rollers{{1, {tables, 1, 10, 1}},
                                                         {2, {tables, 2, 10, 1}}};
  std::map<std::int64_t, std::vector<double>> hourly;
  for (auto& [key, _] : expected) hourly[key].assign(kHours, 0);
  for (std::size_t n = 0; n < spawned.size(); ++n) {
    const auto hour = static_cast<std::size_t>(at[n] / 3600);
    hourly[-spawned[n]][hour] += 1;
    rollers.at(spawned[n]).roll(random, drops);
    for (const std::int64_t item : drops) hourly[item][hour] += 1;
  }
  ASSERT_EQ(expected.size(), 4u);
  for (const auto& [key, counts] : hourly) {
    double sum = 0, squares = 0;
    for (const double count : counts) sum += count, squares += count * count;
    const double mean = sum / kHours;
    const double error = std::sqrt((squares / kHours - mean * mean) / kHours);
    EXPECT_GT(expected[key], 0) << key;
    EXPECT_LE(std::fabs(mean - expected[key]), 5 * error)
        << key << ": rolled " << mean << " against " << expected[key];
  }
}

}  // namespace
}  // namespace vl::test
