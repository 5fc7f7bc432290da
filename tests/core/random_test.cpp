#include "core/random.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vl {
namespace {

std::vector<float> draws(Random& random, int count) {
  std::vector<float> values;
  values.reserve(count);
  for (int i = 0; i < count; ++i) values.push_back(random.next());
  return values;
}

TEST(Random, DrawsLieInTheHalfOpenUnitIntervalAndSpreadEvenly) {
  Random random(7);
  std::array<int, 10> buckets{};
  constexpr int kDraws = 100000;
  constexpr double kExpected = kDraws / 10.0;
  for (int i = 0; i < kDraws; ++i) {
    const float u = random.next();
    ASSERT_GE(u, 0.0f);
    ASSERT_LT(u, 1.0f);
    ++buckets[static_cast<int>(u * 10)];
  }
  for (int count : buckets) {
    EXPECT_GT(count, kExpected * 0.95);
    EXPECT_LT(count, kExpected * 1.05);
  }
}

TEST(Random, SameSeedSameSequence) {
  Random a(1234), b(1234), c(1235);
  const auto first = draws(a, 50);
  EXPECT_EQ(first, draws(b, 50));
  EXPECT_NE(first, draws(c, 50));

  a.seed(1234);
  EXPECT_EQ(first, draws(a, 50));
}

TEST(Random, MixingTheSameTimeAgainNeverRepeatsTheDraws) {
  Random random(99);
  random.mix(43200);
  const auto after_first = draws(random, 20);
  random.mix(43200);
  const auto after_second = draws(random, 20);
  EXPECT_NE(after_first, after_second);

  // Back to back, without draws in between, the two mixes do not cancel out.
  Random once(99), twice(99);
  once.mix(43200);
  twice.mix(43200);
  twice.mix(43200);
  EXPECT_NE(draws(once, 20), draws(twice, 20));
  Random untouched(99);
  EXPECT_NE(draws(untouched, 20), draws(twice, 20));

  // Mixing is deterministic: it depends on the state and the value only.
  Random x(5), y(5);
  x.mix(1);
  y.mix(1);
  EXPECT_EQ(draws(x, 20), draws(y, 20));
}

TEST(Random, ReseedFromTimeKeepsThePreviousState) {
  Random a(1), b(1);
  a.reseed_from_time();
  b.reseed_from_time();
  EXPECT_NE(draws(a, 20), draws(b, 20));

  Random c(1);
  const auto before = draws(c, 20);
  c.reseed_from_time();
  EXPECT_NE(before, draws(c, 20));
}

}  // namespace
}  // namespace vl
