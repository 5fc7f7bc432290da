// A plan's drops solved for an aim: which drops keep their places, the values
// they take, and the ids of those left after NPCs at the aim lose theirs.

#include <gtest/gtest.h>

#include "loot/plan_aims.h"

namespace vl::test {
namespace {

// Loottable 1 (NPC 11, level 5) gives item 101 on 20 % of kills; loottable 2
// (NPC 12) on 50 %; loottable 3 (NPC 13) has no row of its own; loottable 4
// (NPC 14) is shared outside the range and copied as loottable 91.
loot::DropWorld world() {
  loot::DropWorld world;
  for (const std::int64_t npc : {11, 12, 13, 14})
    world.npcs.push_back({.id = npc, .name = "npc", .level = 5, .loottable_id = npc - 10});
  world.tables.loottables[1] = {{10, 1, 100, 0, 0}};
  world.tables.loottables[2] = {{20, 1, 100, 0, 0}};
  world.tables.loottables[4] = {};
  world.tables.lootdrops[10] = {{101, 20, 1}};
  world.tables.lootdrops[20] = {{101, 50, 1}};
  world.tables.items = {101};
  return world;
}

// Four drops of one existing item (7) at chance 10, lootdrops 501 to 504; the
// fourth linked into the copy 91 of loottable 4.
loot::Plan plan() {
  loot::Plan plan;
  plan.highest_lootdrop_id = 500;
  plan.isolate_shared = true;
  plan.highest_loottable_id = 90;
  for (const std::int64_t npc : {11, 12, 13, 14})
    plan.drops.push_back({.npc_id = npc,
                          .loottable_id = npc - 10,
                          .lootdrop_id = static_cast<std::int32_t>(npc + 490),
                          .item_ids = {7},
                          .chance = 10,
                          .probability = 30});
  plan.drops[3].loottable_copied_from = 4;
  plan.drops[3].loottable_id = 91;
  plan.copies.push_back({.original_id = 4, .copy_id = 91, .moved_npcs = {14}, .outside_npcs = 2});
  return plan;
}

const std::unordered_map<std::int32_t, std::string> kItems = {{7, "Seven"}};
using Kind = loot::RunAim::Kind;
constexpr auto kWhole = loot::ProbabilityColumn::whole_numbers;

TEST(PlanAims, EveryNpcDropsOnlyWhereTheAimIsNotReachedAndNumbersTheRestAgain) {
  loot::Plan aimed = plan();
  aimed.drops[0].chance = 50;
  // 1 - 0.8 x (1 - 0.5 P) = 0.3 gives P = 0.25.
  loot::aim_plan(aimed, {.kind = Kind::every_npc, .percent = 30}, world(), kItems, kWhole);
  ASSERT_EQ(aimed.drops.size(), 2U);
  EXPECT_EQ(aimed.drops[0].npc_id, 11);
  EXPECT_EQ(aimed.drops[0].lootdrop_id, 501);
  EXPECT_EQ(aimed.drops[0].probability, 25);
  EXPECT_EQ(aimed.drops[0].chance, 50);
  // NPC 14's empty loottable gives nothing; one item at 10 reaches 30 % only
  // with its chance raised to 30. Its copy keeps the id after the highest.
  EXPECT_EQ(aimed.drops[1].npc_id, 14);
  EXPECT_EQ(aimed.drops[1].lootdrop_id, 502);
  EXPECT_EQ(aimed.drops[1].loottable_id, 91);
  EXPECT_EQ(aimed.drops[1].probability, 100);
  EXPECT_EQ(aimed.drops[1].chance, 30);
  ASSERT_EQ(aimed.left_alone.size(), 2U);
  EXPECT_EQ(aimed.left_alone[0].npc_id, 12);
  EXPECT_EQ(aimed.left_alone[0].p_any, 0.5);
  EXPECT_EQ(aimed.left_alone[1].npc_id, 13);
  EXPECT_FALSE(aimed.left_alone[1].p_any);
  ASSERT_EQ(aimed.copies.size(), 1U);
  EXPECT_EQ(aimed.copies[0].copy_id, 91);

  const loot::AimSummary summary = loot::aim_summary(aimed);
  EXPECT_EQ(summary.drops, 2U);
  EXPECT_EQ(summary.already_at_aim, 1U);
  EXPECT_EQ(summary.cannot_drop, 1U);
  EXPECT_EQ(summary.raised(), 1U);
}

TEST(PlanAims, NewDropSolvesEveryDropAndDropsNone) {
  loot::Plan aimed = plan();
  aimed.drops[2].item_ids = {8};  // an item the world lacks: the drop keeps the settings' values
  loot::aim_plan(aimed, {.kind = Kind::new_drop, .percent = 5}, world(), kItems, kWhole);
  ASSERT_EQ(aimed.drops.size(), 4U);
  for (const std::size_t i : {0U, 1U, 3U}) {
    EXPECT_EQ(aimed.drops[i].probability, 50) << i;
    EXPECT_EQ(aimed.drops[i].lootdrop_id, 501 + static_cast<int>(i)) << i;
  }
  EXPECT_EQ(aimed.drops[2].probability, 30);
  EXPECT_FALSE(aimed.drops[2].aimed);
  EXPECT_TRUE(aimed.left_alone.empty());
  EXPECT_EQ(loot::aim_summary(aimed).cannot_drop, 1U);
}

TEST(PlanAims, RefusesAnAimOutOfRange) {
  loot::Plan aimed = plan();
  for (const double percent : {0.0, 100.5, -3.0}) {
    EXPECT_THROW(loot::aim_plan(aimed, {.kind = Kind::new_drop, .percent = percent}, world(),
                                kItems, kWhole),
                 std::invalid_argument)
        << percent;
  }
}

}  // namespace
}  // namespace vl::test
