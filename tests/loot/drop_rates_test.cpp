// The drop-rate calculator against hand-computed figures (the closed forms
// worked out on paper for each row), and the roller of kills against them.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "loot/drop_rates.h"
#include "loot/kill_roller.h"

namespace vl::test {
namespace {

struct Link {  // a loottable_entries row of loottable 1
  std::int64_t lootdrop;
  int multiplier;
  double probability;
  int droplimit, mindrop;
};
struct Entry {  // a lootdrop_entries row
  std::int64_t lootdrop, item;
  double chance;
  int multiplier = 1, npc_min_level = 0, npc_max_level = 0;
};

struct RateRow {
  const char* name;
  std::vector<Link> links;
  std::vector<Entry> entries;
  double p_any, expected_items;
  std::map<std::int64_t, double> items;  // expected copies per kill; every item unless `item_count`
  int loot_multiplier = 1, level = 10;
  std::size_t item_count = 0;  // items with a figure, when `items` names only some
  int filler = 0;              // lootdrop 1 also holds items 1..filler at chance 1
  std::int64_t loottable = 1;
};

// Items 1..200 exist, 999 does not. Lootdrop 5 has a row and no entries; 7 has no row.
// clang-format off
const RateRow kRows[] = {
    // z = 0.9^5 = 0.59049; 0.5 x (1 - z) = 0.204755; each item a fifth of it.
    {"window_default_drop", {{1, 1, 50, 1, 0}}, {{1, 1, 10}, {1, 2, 10}, {1, 3, 10}, {1, 4, 10}, {1, 5, 10}},
     0.204755, 0.204755, {{1, 0.040951}, {2, 0.040951}, {3, 0.040951}, {4, 0.040951}, {5, 0.040951}}},
    // 1 - (0.82)^2 of the same kill rolled twice: 1 - 0.795245^2.
    {"loot_multiplier_2", {{1, 1, 50, 1, 0}}, {{1, 1, 10}, {1, 2, 10}, {1, 3, 10}, {1, 4, 10}, {1, 5, 10}},
     0.367585389975, 0.40951, {{1, 0.081902}, {2, 0.081902}, {3, 0.081902}, {4, 0.081902}, {5, 0.081902}}, 2},
    // Mode A: 2 x 0.5 and 0.2; nothing = 0.5^2 x 0.8 = 0.2.
    {"each_entry_rolls", {{1, 1, 100, 0, 0}}, {{1, 1, 50, 2}, {1, 2, 20}}, 0.8, 1.2, {{1, 1.0}, {2, 0.2}}},
    // D = 3, M = 1, z = 0.9 x 0.7: 1 + 2 x 0.37 = 1.74 picks, split 10:30.
    {"mindrop_fills_first_slots", {{1, 1, 100, 3, 1}}, {{1, 1, 10}, {1, 2, 30}}, 1, 1.74, {{1, 0.435}, {2, 1.305}}},
    // Bypass: 2 picks split 100:50; item 2 adds 2 extras at 0.5 each: 2/3 x 2.
    {"chance_100_bypasses", {{1, 1, 100, 2, 0}}, {{1, 1, 100}, {1, 2, 50, 3}}, 1, 2.6666666666666665,
     {{1, 1.3333333333333333}, {2, 1.3333333333333333}}},
    // Link multiplier 0 never rolls; 3 passes at 0.5 of a mode-A roll (0.4 copies,
    // nothing 0.64): 1 - 0.82^3 = 0.448632; an entry multiplier of 0 never drops.
    {"multipliers_0_and_3", {{1, 0, 100, 1, 0}, {2, 3, 50, 0, 0}}, {{1, 1, 50}, {2, 2, 10, 0}, {2, 3, 20, 2}},
     0.448632, 0.6, {{3, 0.6}}},
    // In slots an entry multiplier of 0 still gives its one copy; 2 passes.
    {"slot_multiplier_0_gives_one", {{1, 2, 100, 1, 1}}, {{1, 4, 40, 0}}, 1, 2, {{4, 2.0}}},
    // Probability 0 never passes, 150 always: z = 0.5.
    {"probability_0_and_150", {{1, 1, 0, 1, 0}, {2, 1, 150, 1, 0}}, {{1, 1, 100}, {2, 2, 50}}, 0.5, 0.5, {{2, 0.5}}},
    {"empty_lootdrop", {{5, 1, 100, 1, 1}}, {}, 0, 0, {}},
    {"chances_sum_to_0", {{1, 1, 100, 2, 1}}, {{1, 1, 0}, {1, 2, 0}}, 0, 0, {}},
    // Item 999 does not exist: z = 0.5 and S = 50 over item 1 alone.
    {"missing_item", {{1, 1, 100, 1, 0}}, {{1, 1, 50}, {1, 999, 50}}, 0.5, 0.5, {{1, 0.5}}},
    {"missing_lootdrop", {{1, 1, 100, 0, 0}, {7, 1, 100, 1, 1}}, {{1, 1, 40}}, 0.4, 0.4, {{1, 0.4}}},
    {"missing_loottable", {{1, 1, 100, 0, 0}}, {{1, 1, 40}}, 0, 0, {}, 1, 10, 0, 0, 2},
    // Level 10: bounds 20-any and any-5 exclude, 5-15 and 10-10 hold; mode A.
    {"npc_level_bounds", {{1, 1, 100, 0, 0}},
     {{1, 1, 50, 1, 20, 0}, {1, 2, 50, 1, 0, 5}, {1, 3, 50, 1, 5, 15}, {1, 4, 50, 1, 10, 10}}, 0.75, 1.0,
     {{3, 0.5}, {4, 0.5}}},
    // 101 entries and droplimit 0: D = 10, M = 1, z = 0.99^101 = 0.36237201786...:
    // 1 + 9 x (1 - z) picks, a 101st each.
    {"over_100_entries_fill_10_slots", {{1, 1, 100, 0, 1}}, {}, 1, 6.738651839255528, {{1, 0.06671932514114384}},
     1, 10, 101, 101},
    {"100_entries_fill_mindrop", {{1, 1, 100, 0, 1}}, {}, 1, 1, {{1, 0.01}}, 1, 10, 100, 100},
};
// clang-format on

void PrintTo(const RateRow& row, std::ostream* out) { *out << row.name; }

loot::LootTables tables_of(const RateRow& row) {
  loot::LootTables tables;
  for (std::int64_t id = 1; id <= 200; ++id) tables.items.insert(id);
  for (const Link& link : row.links)
    tables.loottables[1].push_back(
        {link.lootdrop, link.multiplier, link.probability, link.droplimit, link.mindrop});
  tables.lootdrops[5];
  for (const Entry& e : row.entries)
    tables.lootdrops[e.lootdrop].push_back(
        {e.item, e.chance, e.multiplier, e.npc_min_level, e.npc_max_level});
  for (int item = 1; item <= row.filler; ++item) tables.lootdrops[1].push_back({item, 1, 1});
  return tables;
}

class DropRates : public ::testing::TestWithParam<RateRow> {};

TEST_P(DropRates, ClosedFormsGiveTheHandComputedFigures) {
  const RateRow& row = GetParam();
  const loot::DropRates rates =
      loot::drop_rates(tables_of(row), row.loottable, row.level, row.loot_multiplier);
  EXPECT_NEAR(rates.p_any, row.p_any, 1e-12);
  EXPECT_NEAR(rates.expected_items, row.expected_items, 1e-12);
  ASSERT_EQ(rates.items.size(), row.item_count ? row.item_count : row.items.size());
  for (std::size_t i = 0; i + 1 < rates.items.size(); ++i)
    EXPECT_LT(rates.items[i].item_id, rates.items[i + 1].item_id);
  for (const loot::ItemRate& item : rates.items) {
    if (row.items.contains(item.item_id)) {
      EXPECT_NEAR(item.expected, row.items.at(item.item_id), 1e-12) << item.item_id;
    } else {
      EXPECT_NE(row.item_count, 0u) << "unexpected item " << item.item_id;
    }
  }
}

// 200,000 rolled kills: the share with anything and each item's copies per
// kill lie within 5 standard errors of the closed forms.
TEST_P(DropRates, RolledKillsAgreeWithTheClosedForms) {
  constexpr int kKills = 200'000;
  const RateRow& row = GetParam();
  const loot::LootTables tables = tables_of(row);
  const loot::DropRates rates =
      loot::drop_rates(tables, row.loottable, row.level, row.loot_multiplier);
  const loot::KillRoller roller(tables, row.loottable, row.level, row.loot_multiplier);
  std::mt19937_64 random(42);
  std::vector<std::int64_t> drops;
  std::map<std::int64_t, double> sum, squares;
  double any = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    roller.roll(random, drops);
    any += drops.empty() ? 0 : 1;
    std::map<std::int64_t, int> copies;
    for (const std::int64_t item : drops) ++copies[item];
    for (const auto& [item, n] : copies) sum[item] += n, squares[item] += double(n) * n;
  }
  const auto within = [&](double mean, double mean_of_squares, double expected) {
    const double error = std::sqrt(std::max(mean_of_squares - mean * mean, 0.0) / kKills);
    return std::fabs(mean - expected) <= 5 * error + 1e-12;
  };
  EXPECT_TRUE(within(any / kKills, any / kKills, rates.p_any)) << any / kKills;
  EXPECT_EQ(sum.size(), rates.items.size());
  for (const loot::ItemRate& item : rates.items) {
    EXPECT_TRUE(within(sum[item.item_id] / kKills, squares[item.item_id] / kKills, item.expected))
        << item.item_id << ": " << sum[item.item_id] / kKills << " against " << item.expected;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, DropRates, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
