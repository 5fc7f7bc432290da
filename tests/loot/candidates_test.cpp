// What a drop draws from: the category table and item query, the candidate list
// a run loads, and the distinct items drawn for one drop.

#include <map>
#include <numeric>
#include <set>

#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/draws.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using Ids = std::vector<std::int32_t>;

TEST(Categories, ItemQueryTextAndNames) {
  auto state = std::make_unique<ProgramState>();
  const struct {
    int option;
    std::string rules, query, name;
  } cases[] = {
      {1, "",
       " itemtype=1 OR itemtype=2 OR itemtype=3 OR itemtype=4 OR itemtype=5 OR itemtype=45 OR"
       " itemtype=7 OR itemtype=0 OR itemtype=19 OR itemtype=35)",
       "weapon"},
      {0, "", " itemtype=10)", "armour"},  // after "weapon": no old types left
      {4, " AND reqlevel<=10 AND ac<=5", " itemtype=8) AND reqlevel<=10 AND ac<=5", "shields"},
      {9, "", " itemtype=37)", "Ales/Drinks"},
      {10, "", " itemtype=52)", "idols charms trinkets"},
      {-1, "", " itemtype=-1)", "idols charms trinkets"},  // none selected: the name stays
  };
  for (const auto& c : cases) {
    state->form1.select_op(c.option);
    state->item_rules = c.rules;
    loot::Generate_item_class_sql(*state);
    EXPECT_EQ(loot::item_query(*state), "SELECT id from items WHERE (" + c.query) << c.option;
    EXPECT_EQ(state->category_name, c.name);
  }
}

class CategoryCandidates : public LootTest {};

TEST_F(CategoryCandidates, QueryIdsUpToTheLastSlot) {
  std::vector<int> ids(32768);  // one more than the slots
  std::iota(ids.begin(), ids.end(), 1);
  add_items(10, ids);
  loot::Generate_item_class_sql(*state);
  ASSERT_EQ(loot::load_candidate_items(*state, ui), loot::CandidateLoad::ready);
  EXPECT_EQ(
      std::tuple(state->candidate_count, form().lx(), ui.repaint_calls, ui.process_events_calls),
      std::tuple(32767, "Generating Items Lists", 1, 1));
}

TEST(Draws, OrderedDistinctIdsFollowTheWholeSetRedraw) {
  // Weights 3, 2, 1, 1. The reference is the redraw itself: every ordered triple
  // of slots equally likely, kept only when its ids differ.
  const Ids candidates = {1, 1, 1, 2, 2, 3, 4};
  std::map<Ids, double> expected;
  double kept = 0;
  for (auto a : candidates)
    for (auto b : candidates)
      for (auto c : candidates)
        if (a != b && b != c && a != c) expected[{a, b, c}] += 1, kept += 1;
  const int trials = 120000;
  Random random(20261205);
  auto pool = loot::candidate_pool(candidates);
  std::map<Ids, int> observed;
  Ids out(3);
  for (int t = 0; t < trials; ++t) {
    ASSERT_TRUE(loot::draw_distinct_ids(pool, 3, random, out));
    ++observed[out];
  }
  EXPECT_EQ(observed.size(), expected.size());  // no outcome the redraw cannot give
  double chi_square = 0;
  for (const auto& [outcome, weight] : expected) {
    const double mean = weight / kept * trials;
    chi_square += std::pow(observed[outcome] - mean, 2) / mean;
  }
  EXPECT_LT(chi_square, 49.7);  // 23 degrees of freedom, the 0.1 % point
  // All 32 ids of a full list where one id fills all but 31 slots: bounded work.
  Ids crowded(32767, 5), all(32);
  for (int i = 0; i < 31; ++i) crowded[i * 1000] = 1000 + i;
  auto crowded_pool = loot::candidate_pool(crowded);
  ASSERT_TRUE(loot::draw_distinct_ids(crowded_pool, 32, random, all));
  EXPECT_EQ(std::set<std::int32_t>(all.begin(), all.end()).size(), 32u);
}

}  // namespace
}  // namespace vl::test
