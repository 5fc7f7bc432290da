// A plan's drops solved for an aim: which drops keep their places, the values
// they take, and the ids of those left after NPCs at the aim lose theirs.

#include <gtest/gtest.h>

#include <tuple>

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

// Each drop's NPC, lootdrop, loottable, probability and chance.
using Shown = std::vector<std::tuple<std::int64_t, std::int32_t, std::int64_t, double, double>>;
Shown shown(const loot::Plan& plan) {
  Shown drops;
  for (const loot::PlannedDrop& drop : plan.drops)
    drops.emplace_back(drop.npc_id, drop.lootdrop_id, drop.loottable_id, drop.probability,
                       drop.chance);
  return drops;
}
using Kind = loot::RunAim::Kind;
constexpr auto kWhole = loot::ProbabilityColumn::whole_numbers;

TEST(PlanAims, EveryNpcDropsOnlyWhereTheAimIsNotReachedAndNumbersTheRestAgain) {
  loot::Plan aimed = plan();
  aimed.drops[0].chance = 50;
  // 1 - 0.8 x (1 - 0.5 P) = 0.3 gives P = 0.25.
  loot::aim_plan(aimed, {.kind = Kind::every_npc, .percent = 30}, world(), kItems, kWhole);
  // NPC 14's empty loottable gives nothing; one item at 10 reaches 30 % only
  // with its chance raised to 30. Its copy keeps the id after the highest.
  EXPECT_EQ(shown(aimed), (Shown{{11, 501, 1, 25, 50}, {14, 502, 91, 100, 30}}));
  ASSERT_EQ(aimed.left_alone.size(), 2U);
  EXPECT_EQ(std::tuple(aimed.left_alone[0].npc_id, aimed.left_alone[0].p_any,
                       aimed.left_alone[1].npc_id, aimed.left_alone[1].p_any),
            std::tuple(12, std::optional(0.5), 13, std::optional<double>()));
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
  EXPECT_EQ(shown(aimed), (Shown{{11, 501, 1, 50, 10},
                                 {12, 502, 2, 50, 10},
                                 {13, 503, 3, 30, 10},
                                 {14, 504, 91, 50, 10}}));
  EXPECT_FALSE(aimed.drops[2].aimed);
  EXPECT_TRUE(aimed.left_alone.empty());
  EXPECT_EQ(loot::aim_summary(aimed).cannot_drop, 1U);
}

}  // namespace
}  // namespace vl::test
