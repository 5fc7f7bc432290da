// The ids a plan takes after the highest ones it read: at the ends of their
// types the plan is refused rather than given ids that wrap around.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "loot/draws.h"
#include "loot/shared_copies.h"

namespace vl::test {
namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

struct AfterCase {
  const char* name;
  std::optional<std::int64_t> highest;
  std::int64_t first_id;  // 0: refused
};

// clang-format off
const AfterCase kLootdrops[] = {
    {"EmptyTable", std::nullopt, 1},
    {"Negative", -5, -4},
    {"BelowTheLowest32Bit", -2147483649LL, -2147483648LL},
    {"TooLowFor32Bit", -2147483650LL, 0},
    {"LastRoom", 2147483646, 2147483647},
    {"No32BitRoom", 2147483647, 0},
    {"Largest64Bit", kInt64Max, 0},
};
const AfterCase kLoottableCopies[] = {  // two copies
    {"EmptyTable", std::nullopt, 1},
    {"Negative", -7, -6},
    {"LastRoom", kInt64Max - 2, kInt64Max - 1},
    {"RoomForOneOnly", kInt64Max - 1, 0},
    {"Largest64Bit", kInt64Max, 0},
};
// clang-format on

class LootdropIdAfter : public testing::TestWithParam<AfterCase> {};

TEST_P(LootdropIdAfter, FollowsTheHighestOrIsExhausted) {
  const AfterCase& c = GetParam();
  if (c.first_id == 0) {
    EXPECT_THROW(loot::lootdrop_id_after(c.highest), loot::LootdropIdsExhausted);
  } else {
    EXPECT_EQ(loot::lootdrop_id_after(c.highest), c.first_id);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, LootdropIdAfter, testing::ValuesIn(kLootdrops),
                         [](const auto& info) { return std::string(info.param.name); });

class CopyIds : public testing::TestWithParam<AfterCase> {};

TEST_P(CopyIds, FollowTheHighestLoottableOrAreExhausted) {
  const AfterCase& c = GetParam();
  loot::Plan plan;
  plan.copies.resize(2);
  plan.copies[0].original_id = 30;
  plan.copies[1].original_id = 40;
  plan.drops.resize(2);
  plan.drops[0].loottable_copied_from = 30;
  plan.drops[1].loottable_copied_from = 40;
  if (c.first_id == 0) {
    EXPECT_THROW(loot::renumber_copies(plan, c.highest), loot::LoottableIdsExhausted);
    return;
  }
  loot::renumber_copies(plan, c.highest);
  EXPECT_EQ(plan.highest_loottable_id, c.highest);
  EXPECT_EQ(std::tuple(plan.copies[0].copy_id, plan.copies[1].copy_id),
            std::tuple(c.first_id, c.first_id + 1));
  EXPECT_EQ(std::tuple(plan.drops[0].loottable_id, plan.drops[1].loottable_id),
            std::tuple(c.first_id, c.first_id + 1));
}

INSTANTIATE_TEST_SUITE_P(Rows, CopyIds, testing::ValuesIn(kLoottableCopies),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
