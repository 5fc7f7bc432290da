// Drawing the distinct items of a drop, and the next lootdrop id.

#include "loot/draws.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

#include "db/database.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

using loot::candidate_pool;
using loot::draw_distinct_ids;

// Chi-square statistic of observed counts against expected probabilities.
double chi_square(const std::map<std::vector<std::int32_t>, int>& observed,
                  const std::map<std::vector<std::int32_t>, double>& probability, int trials) {
  double sum = 0;
  for (const auto& [outcome, p] : probability) {
    const auto it = observed.find(outcome);
    const double seen = it == observed.end() ? 0 : it->second;
    const double expected = p * trials;
    sum += (seen - expected) * (seen - expected) / expected;
  }
  return sum;
}

// Every ordered sequence of `k` distinct ids, with probability proportional to
// the product of the ids' multiplicities among the candidates.
std::map<std::vector<std::int32_t>, double> exact_distribution(
    const std::vector<std::int32_t>& candidates, int k) {
  std::map<std::int32_t, double> weight;
  for (auto id : candidates) weight[id] += 1;
  std::map<std::vector<std::int32_t>, double> result;
  std::vector<std::int32_t> sequence;
  double total = 0;
  std::function<void(double)> extend = [&](double product) {
    if (static_cast<int>(sequence.size()) == k) {
      result[sequence] = product;
      total += product;
      return;
    }
    for (const auto& [id, w] : weight) {
      if (std::find(sequence.begin(), sequence.end(), id) != sequence.end()) continue;
      sequence.push_back(id);
      extend(product * w);
      sequence.pop_back();
    }
  };
  extend(1.0);
  for (auto& [outcome, p] : result) p /= total;
  return result;
}

double draw_chi_square(const std::vector<std::int32_t>& candidates, int k, int trials,
                       std::size_t& outcomes) {
  Random random(20261205);
  auto pool = candidate_pool(candidates);
  std::map<std::vector<std::int32_t>, int> observed;
  std::vector<std::int32_t> out(k);
  for (int t = 0; t < trials; ++t) {
    EXPECT_TRUE(draw_distinct_ids(pool, k, random, out));
    ++observed[out];
  }
  const auto exact = exact_distribution(candidates, k);
  outcomes = exact.size();
  EXPECT_EQ(observed.size(), exact.size()) << "an outcome outside the exact support";
  return chi_square(observed, exact, trials);
}

TEST(Draws, OrderedDistinctSequencesFollowTheRedrawDistribution) {
  std::size_t outcomes = 0;
  // Every id once: all 20 ordered pairs equally likely (19 degrees of freedom;
  // 43.8 is the 0.1 % point).
  EXPECT_LT(draw_chi_square({1, 2, 3, 4, 5}, 2, 40000, outcomes), 55.0);
  EXPECT_EQ(outcomes, 20u);
  // Multiplicities 3, 2, 1, 1, 1: chance proportional to their product (59
  // degrees of freedom; 98.3 is the 0.1 % point).
  EXPECT_LT(draw_chi_square({1, 1, 1, 2, 2, 3, 4, 5}, 3, 120000, outcomes), 115.0);
  EXPECT_EQ(outcomes, 60u);
  // A heavy id beside light ones: 4 drawn of 6 ids (359 degrees of freedom;
  // 447 is the 0.1 % point).
  EXPECT_LT(draw_chi_square({7, 7, 7, 7, 7, 7, 1, 2, 3, 3, 4, 5}, 4, 200000, outcomes), 470.0);
  EXPECT_EQ(outcomes, 360u);
}

TEST(Draws, AllDistinctIdsAndBoundedWork) {
  Random random(7);
  std::vector<std::int32_t> candidates(32);
  std::iota(candidates.begin(), candidates.end(), 100);
  auto pool = candidate_pool(candidates);
  std::vector<std::int32_t> out(32);
  ASSERT_TRUE(draw_distinct_ids(pool, 32, random, out));
  std::vector<std::int32_t> sorted = out;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, candidates);

  // 32 of a full list where most ids repeat.
  std::vector<std::int32_t> crowded(32767, 5);
  for (int i = 0; i < 31; ++i) crowded[static_cast<std::size_t>(i) * 1000] = 1000 + i;
  auto crowded_pool = candidate_pool(crowded);
  EXPECT_EQ(crowded_pool.distinct_ids, 32);
  ASSERT_TRUE(draw_distinct_ids(crowded_pool, 32, random, out));
  EXPECT_EQ(std::set<std::int32_t>(out.begin(), out.end()).size(), 32u);

  // Impossible requests are refused and leave the output alone.
  std::vector<std::int32_t> small = {4, 4, 9};
  auto small_pool = candidate_pool(small);
  std::vector<std::int32_t> untouched(3, -7);
  EXPECT_FALSE(draw_distinct_ids(small_pool, 3, random, untouched));
  EXPECT_TRUE(draw_distinct_ids(small_pool, 0, random, untouched));
  EXPECT_EQ(untouched, std::vector<std::int32_t>(3, -7));
}

TEST(Draws, CandidatesAreComparedAsWholeIds) {
  auto state = std::make_unique<ProgramState>();
  // 2.5 and 1.5 both round to 2; an empty slot is id 0.
  state->custom_item_ids[1] = 2.5;
  state->custom_item_ids[2] = 1.5;
  state->custom_item_ids[3] = 2.0;
  state->custom_item_ids[4].reset();
  state->custom_item_ids[5] = 3.5;
  state->candidate_count = 5;
  auto pool = candidate_pool(*state);
  EXPECT_EQ(pool.distinct_ids, 3);
  EXPECT_EQ(loot::distinct_candidate_count(*state), 3);
  EXPECT_FALSE(pool.unconvertible);

  state->item_max_count = 3;
  ASSERT_TRUE(loot::generate_random_unique_list_for_drop(*state));
  std::set<std::int32_t> drawn(state->drop_item_ids.begin() + 1, state->drop_item_ids.begin() + 4);
  EXPECT_EQ(drawn, (std::set<std::int32_t>{0, 2, 4}));

  // Beyond 32 bits: left out and reported.
  state->custom_item_ids[6] = 1e12;
  state->candidate_count = 6;
  EXPECT_EQ(candidate_pool(*state).unconvertible, 1e12);

  // Nothing to draw: slot 1 keeps its value.
  state->drop_item_ids[1] = 4242;
  state->item_max_count = 0;
  EXPECT_TRUE(loot::generate_random_unique_list_for_drop(*state));
  EXPECT_EQ(state->drop_item_ids[1], 4242);
  state->item_max_count = 5;
  EXPECT_FALSE(loot::generate_random_unique_list_for_drop(*state));
  EXPECT_EQ(state->drop_item_ids[1], 4242);
}

class LootdropId : public LootTest {};

TEST_F(LootdropId, HighestIdPlusOneOnANewConnectionEachCall) {
  GeneralLog log;
  loot::lootdrop(*state);
  EXPECT_EQ(state->next_lootdrop_id, 1);  // empty table

  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (1234,'a'),(17,'b')");
  loot::lootdrop(*state);
  EXPECT_EQ(state->next_lootdrop_id, 1235);
  loot::lootdrop(*state);
  EXPECT_EQ(state->next_lootdrop_id, 1235);
  EXPECT_TRUE(state->db_connection->is_open());
  EXPECT_FALSE(state->db_recordset->is_open());
  EXPECT_EQ(state->current_sql, "SELECT MAX(id) FROM lootdrop");

  const auto statements = log.statements();
  ASSERT_EQ(statements.size(), 3u);
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(statements[i].argument, "SELECT MAX(id) FROM lootdrop");
    EXPECT_EQ(statements[i].connection, connections[i]);
  }

  // No room for another signed 32-bit id.
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (2147483647,'last')");
  EXPECT_THROW(loot::lootdrop(*state), loot::LootdropIdsExhausted);
}

}  // namespace
}  // namespace vl::test
