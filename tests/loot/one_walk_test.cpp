// The plan and the window's run take the same walk: planned with a seed
// through plan_run, and walked with the same seed through the window's source
// (its session slots, a new connection per query) into a recorder, the drops,
// their ids and items and the copies of shared loottables must be the same,
// and neither may write.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/database.h"
#include "loot/fixed_inputs.h"
#include "loot/plan.h"
#include "loot/plan_recorder.h"
#include "loot/walk.h"
#include "support/general_log.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

struct WalkRow {
  const char* name;
  const char* npcs;  // rows of npc_types (id,name,level,loottable_id), or a SELECT of them
  int category = 0;  // armour: itemtype 10
  const char* rules = "";
  int items = 2;
  const char* percent = "60";
  bool custom_list = false;
  bool isolate_shared = false;
  std::size_t in_range = 0, keeping = 0, drops = 0, copies = 0;
};

const WalkRow kRows[] = {
    {.name = "custom list with repeated ids",
     .npcs = "VALUES (1,'a',5,7),(2,'b',6,8),(3,'c',7,9),(4,'d',8,10)",
     .items = 3,
     .percent = "101",
     .custom_list = true,
     .in_range = 4,
     .keeping = 4,
     .drops = 4},
    {.name = "category with rules",
     .npcs = "VALUES (1,'a',5,7),(2,'b',6,8),(3,'c',7,9),(4,'d',60,10)",
     .category = 1,  // weapon: itemtypes 1, 2, ...
     .rules = " AND id<>203",
     .percent = "101",
     .in_range = 3,
     .keeping = 3,
     .drops = 3},
    {.name = "no items per drop",
     .npcs = "VALUES (1,'a',5,7),(2,'b',6,8)",
     .items = 0,
     .percent = "101",
     .in_range = 2,
     .keeping = 2,
     .drops = 2},
    {.name = "shared loottables, copied for the range",
     .npcs = "VALUES (1,'a',5,7),(2,'b',6,7),(3,'c',7,8),(4,'d',50,7),(5,'e',55,8),(6,'f',9,9)",
     .percent = "101",
     .isolate_shared = true,
     .in_range = 4,
     .keeping = 3,
     .drops = 3,
     .copies = 2},
    {.name = "NPCs without loottable among many, rolls deciding",
     .npcs = "SELECT seq, 'n', 1 + seq % 10, IF(seq % 3 = 0, 0, seq % 50) FROM seq_1_to_300",
     .in_range = 300,
     .keeping = 49,
     .drops = 29},
};

void PrintTo(const WalkRow& row, std::ostream* out) { *out << row.name; }

class OneWalk : public ::testing::TestWithParam<WalkRow> {};

std::unique_ptr<loot::FixedInputs> inputs_of(const WalkRow& row) {
  auto inputs = std::make_unique<loot::FixedInputs>();
  inputs->category = row.category;
  inputs->rules = row.rules;
  inputs->items = row.items;
  inputs->percent_of_npcs = row.percent;
  inputs->isolate_shared = row.isolate_shared;
  inputs->custom_list = row.custom_list;
  const double list[] = {101, 102, 102, 103, 104, 105, 105, 0, 106};
  for (std::size_t i = 0; i < std::size(list) && row.custom_list; ++i)
    inputs->slots[i + 1] = list[i];
  return inputs;
}

// A plan as text, every value that the two walks must agree on.
std::string described(const loot::Plan& plan) {
  std::string text = plan.drop_name + " highest " + plan.highest_lootdrop_id + "/" +
                     plan.highest_loottable_id + " in range " + std::to_string(plan.npcs_in_range) +
                     " keeping " + std::to_string(plan.npcs_keeping_loottable) + "\n";
  for (const loot::PlannedDrop& drop : plan.drops) {
    text += "npc " + std::to_string(drop.npc_id) + " loottable " +
            std::to_string(drop.loottable_id) + " from " +
            std::to_string(drop.loottable_copied_from) + " lootdrop " +
            std::to_string(drop.lootdrop_id) + " items";
    for (const std::int32_t item : drop.item_ids) text += " " + std::to_string(item);
    text += "\n";
  }
  for (const loot::LoottableCopy& copy : plan.copies) {
    text += "copy " + std::to_string(copy.original_id) + " as " + std::to_string(copy.copy_id) +
            " outside " + std::to_string(copy.outside_npcs) + " moved";
    for (const std::int64_t npc : copy.moved_npcs) text += " " + std::to_string(npc);
    text += "\n";
  }
  return text;
}

TEST_P(OneWalk, ThePlanAndTheWindowsWalkIntoARecorderGiveTheSameDrops) {
  const WalkRow& row = GetParam();
  reset_world();
  fixture_sql(
      "INSERT INTO items (id,name,itemtype) VALUES (101,'w',10),(102,'x',10),(103,'y',10),"
      "(104,'z',10),(105,'v',10),(201,'s',1),(202,'t',2),(203,'u',3)");
  fixture_sql(std::string("INSERT INTO npc_types (id,name,level,loottable_id) ") + row.npcs);
  fixture_sql("INSERT INTO loottable (id,name) VALUES (7,'seven'),(8,'eight'),(9,'nine')");
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (41,'old')");
  const std::string sums = world_checksums();
  constexpr std::uint64_t kSeed = 20261207;

  auto planning = std::make_unique<ProgramState>();
  configure(*planning);
  db::Connection connection(db::connection_string(*planning));
  auto plan_inputs = inputs_of(row);
  Random plan_random;
  plan_random.pin_seed(kSeed);
  const loot::Plan planned = loot::plan_run(*plan_inputs, connection, plan_random);

  // The window's walk: its queries through the session, each on a connection of its own.
  auto window = std::make_unique<ProgramState>();
  configure(*window);
  window->random.pin_seed(kSeed);
  auto walk_inputs = inputs_of(row);
  loot::Plan walked;
  db::Connection recorder_connection(db::connection_string(*window));
  loot::PlanRecorder recorder(walked, recorder_connection);
  loot::SessionSource source(*window, *walk_inputs);
  GeneralLog log;
  loot::Walk(*walk_inputs, window->random, {}).run(source, recorder);
  for (const std::string& sql : log.statement_texts()) EXPECT_EQ(sql.substr(0, 7), "SELECT ");
  EXPECT_EQ(world_checksums(), sums);

  EXPECT_EQ(described(walked), described(planned));
  EXPECT_EQ(planned.npcs_in_range, row.in_range);
  EXPECT_EQ(planned.npcs_keeping_loottable, row.keeping);
  EXPECT_EQ(planned.drops.size(), row.drops);
  EXPECT_EQ(planned.copies.size(), row.copies);
  ASSERT_FALSE(planned.drops.empty());
  EXPECT_EQ(planned.drops.front().lootdrop_id, 42);
  for (const loot::PlannedDrop& drop : planned.drops)
    EXPECT_EQ(drop.item_ids.size(), static_cast<std::size_t>(row.items));
  // The window's source keeps the candidates in the inputs' slots; the plan leaves them alone.
  EXPECT_GT(walk_inputs->slot_count, 0);
  EXPECT_EQ(plan_inputs->slot_count, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, OneWalk, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace vl::test
