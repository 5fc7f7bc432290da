#include "core/random.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vl {
namespace {

std::vector<float> draws(Random& random) {
  std::vector<float> values;
  for (int i = 0; i < 20; ++i) values.push_back(random.next());
  return values;
}

TEST(Random, DrawsLieInTheHalfOpenUnitIntervalAndSpreadEvenly) {
  Random random(7);
  std::array<int, 10> buckets{};
  for (int i = 0; i < 100000; ++i) {
    const float u = random.next();
    ASSERT_TRUE(u >= 0.0f && u < 1.0f) << u;
    ++buckets[static_cast<int>(u * 10)];
  }
  for (int count : buckets) EXPECT_NEAR(count, 10000, 500);
}

TEST(Random, SeedsMixingAndReseedingFromTheTime) {
  Random a(1234), b(1234), c(1235);
  const auto first = draws(a);
  EXPECT_EQ(first, draws(b));
  EXPECT_NE(first, draws(c));
  // Mixing depends on the state and the value only, and mixing the same time
  // again never repeats the draws; back to back, two mixes do not cancel out.
  Random x(99), y(99), twice(99), untouched(99);
  for (Random* r : {&x, &y, &twice, &twice}) r->mix(43200);
  const auto after_first = draws(x);
  EXPECT_EQ(after_first, draws(y));
  x.mix(43200);
  EXPECT_NE(draws(x), after_first);
  EXPECT_NE(draws(untouched), draws(twice));
  // Generators in the same state reseeded from the time at the same moment still differ.
  Random p(1), q(1);
  p.reseed_from_time();
  q.reseed_from_time();
  EXPECT_NE(draws(p), draws(q));
}

}  // namespace
}  // namespace vl
