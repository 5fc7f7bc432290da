// Drawing the distinct items of a drop, and the next lootdrop id.

#include "loot/draws.h"

#include <map>
#include <set>

#include "loot_fixture.h"

namespace vl::test {
namespace {

using Ids = std::vector<std::int32_t>;

TEST(Draws, OrderedDistinctIdsFollowTheWholeSetRedraw) {
  // Weights 3, 2, 1, 1. The reference is the redraw itself: every ordered triple
  // of slots equally likely, kept only when its ids differ.
  const Ids candidates = {1, 1, 1, 2, 2, 3, 4};
  std::map<Ids, double> expected;
  double total = 0;
  for (auto a : candidates)
    for (auto b : candidates)
      for (auto c : candidates)
        if (a != b && b != c && a != c) expected[{a, b, c}] += 1, total += 1;
  const int trials = 120000;
  Random random(20261205);
  auto pool = loot::candidate_pool(candidates);
  std::map<Ids, int> observed;
  Ids out(3);
  for (int t = 0; t < trials; ++t) {
    ASSERT_TRUE(loot::draw_distinct_ids(pool, 3, random, out));
    ++observed[out];
  }
  EXPECT_EQ(observed.size(), expected.size()) << "an outcome the redraw cannot give";
  double chi_square = 0;
  for (const auto& [outcome, weight] : expected) {
    const double mean = weight / total * trials, seen = observed[outcome];
    chi_square += (seen - mean) * (seen - mean) / mean;
  }
  EXPECT_LT(chi_square, 49.7);  // 23 degrees of freedom, the 0.1 % point

  // All 32 ids of a full list where one id fills all but 31 slots: bounded work.
  Ids crowded(32767, 5);
  for (int i = 0; i < 31; ++i) crowded[i * 1000] = 1000 + i;
  auto crowded_pool = loot::candidate_pool(crowded);
  Ids all(32);
  ASSERT_TRUE(loot::draw_distinct_ids(crowded_pool, 32, random, all));
  EXPECT_EQ(std::set<std::int32_t>(all.begin(), all.end()).size(), 32u);
}

TEST(Draws, CandidatesAreComparedAsWholeIds) {
  auto state = std::make_unique<ProgramState>();
  // 2.5 and 1.5 both go to 2 (a half to even), 3.5 to 4; an empty slot is id 0.
  state->custom_item_ids[1] = 2.5;
  state->custom_item_ids[2] = 1.5;
  state->custom_item_ids[3] = 2.0;
  state->custom_item_ids[4].reset();
  state->custom_item_ids[5] = 3.5;
  state->candidate_count = 5;
  state->item_max_count = 3;
  ASSERT_TRUE(loot::generate_random_unique_list_for_drop(*state));
  const auto& drawn = state->drop_item_ids;
  EXPECT_EQ(std::set<std::int32_t>(drawn.begin() + 1, drawn.begin() + 4),
            (std::set<std::int32_t>{0, 2, 4}));

  // Nothing to draw, or more than the distinct ids: slot 1 keeps its value.
  state->drop_item_ids[1] = 4242;
  for (int count : {0, 4}) {
    state->item_max_count = count;
    EXPECT_EQ(loot::generate_random_unique_list_for_drop(*state), count == 0);
    EXPECT_EQ(state->drop_item_ids[1], 4242);
  }
  state->custom_item_ids[6] = 1e12;  // beyond 32 bits: left out and reported
  state->candidate_count = 6;
  EXPECT_EQ(loot::candidate_pool(*state).unconvertible, 1e12);
}

class LootdropId : public LootTest {};

TEST_F(LootdropId, HighestIdPlusOneOnANewConnectionEachCall) {
  GeneralLog log;
  loot::lootdrop(*state);
  EXPECT_EQ(state->next_lootdrop_id, 1);  // empty table
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (1234,'a'),(17,'b')");
  for (int call = 0; call < 2; ++call) {
    loot::lootdrop(*state);
    EXPECT_EQ(state->next_lootdrop_id, 1235);
  }
  EXPECT_TRUE(state->db_connection->is_open());
  const auto statements = log.statements();
  const auto connections = log.connections();
  ASSERT_EQ(statements.size(), 3u);
  ASSERT_EQ(connections.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(statements[i].argument, "SELECT MAX(id) FROM lootdrop");
    EXPECT_EQ(statements[i].connection, connections[i]);
  }
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (2147483647,'last')");
  EXPECT_THROW(loot::lootdrop(*state), loot::LootdropIdsExhausted);
}

}  // namespace
}  // namespace vl::test
