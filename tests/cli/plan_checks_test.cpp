// apply against hand-edited plans and against a writer that comes between:
// each forged plan refused with its reasons and the world left as it was; a
// world changed while apply waits for its turn is never overwritten.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <thread>

#include <nlohmann/json.hpp>

#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

using Json = nlohmann::ordered_json;

const std::string kPlan = VL_JOURNAL_DIR "/forged_plan.json";
const std::string kJournal = VL_JOURNAL_DIR "/plan_checks.sqlite3";

CliResult apply_plan() {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(kJournal + suffix);
  return run_cli({"--journal", kJournal, "apply", kPlan, "--yes"});
}

// clang-format off
// NPCs 1 and 2 in 01-10, NPC 3 at level 55; items 1001 and 1002 armour, 2001 a weapon.
const Texts kWorld = {
  "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'j',10),(2001,'w',1)",
  "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77),(2,'n',5,88),(3,'far',55,99)"};
const Args kPlain = {"generate", "--levels", "01-10", "--npc-percent", "101", "--items", "1", "--seed", "3"};
// Loottable 3 is shared by NPCs 5 and 8 of 01-10 and by 6 and 7 outside; NPC 1 has loottable 1 alone.
const Texts kSharedWorld = {
  "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)",
  "INSERT INTO loottable (id,name) VALUES (1,'lt1'),(3,'lt3'),(4,'lt4')",
  "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',3,1),(5,'e',10,3),(6,'f',11,3),(7,'g',30,3),"
  "(8,'h',2,3)"};
// clang-format on

Args operator+(Args a, const Args& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const Args kIsolate = kPlain + Args{"--isolate-shared"};
const std::string kList = VL_JOURNAL_DIR "/forged_list.txt";

void make_world(const Texts& world, const Args& generate) {
  reset_world();
  for (const std::string& sql : world) fixture_sql(sql);
  const CliResult planned = run_cli(generate + Args{"--dry-run", "--plan", kPlan});
  ASSERT_EQ(planned.exit_code, 0) << planned.err;
}

Json& drop(Json& plan, std::size_t i) { return plan["drops"][i]; }

// Sets `column` of every row of `table` in every drop.
void set_column(Json& plan, const char* table, const char* column, const Json& value) {
  for (Json& each : plan["drops"])
    for (Json& row : each[table]) row[column] = value;
}

const std::string kNotGenerated =
    "The plan " + kPlan +
    " is not one generate makes from its own settings; nothing was written:\n";
const std::string kCannot = "vandril_loot_cli: the plan " + kPlan + " cannot be applied: ";
const std::string kMisfit =
    "The world no longer fits the plan " + kPlan + "; nothing was written (make a new plan):\n";

enum class Planned { plainly, from_a_list, isolating };

struct Forged {
  const char* name;
  Planned planned;
  std::function<void(Json&)> edit;
  std::string err;
};

// clang-format off
const Forged kForged[] = {
  {"npc_outside_the_levels", Planned::plainly, [](Json& p) {
     drop(p, 0)["npc_id"] = 3;
     drop(p, 0)["loottable_entries"][0]["loottable_id"] = 99;
   }, kMisfit + "  NPC 3 has level 55, outside the plan's levels 01-10\n"},
  {"item_of_another_category", Planned::plainly, [](Json& p) { drop(p, 0)["lootdrop_entries"][0]["item_id"] = 2001; },
   kMisfit + "  item 2001 has item type 1, which is not of the category armour\n"},
  {"name_delete_never_matches", Planned::plainly, [](Json& p) {
     p["drop_name"] = "lvl_01-10_CUSTOM_armour\t";
     set_column(p, "lootdrop", "name", "lvl_01-10_CUSTOM_armour\t");
   }, kNotGenerated + "  its drops are named \"lvl_01-10_CUSTOM_armour\\t\", not lvl_01-10_CUSTOM_armour as "
   "its levels and category name them\n"},
  {"forty_entries_of_one_item", Planned::plainly, [](Json& p) {
     p["settings"]["items"] = "40";
     p["items_per_drop"] = 40;
     p["drops"].erase(1);
     drop(p, 0)["lootdrop_entries"] = Json(std::vector<Json>(40, drop(p, 0)["lootdrop_entries"][0]));
   }, kNotGenerated + "  its items \"40\" is not a number from 1 to 32 (a drop holds at most 32 items)\n"
   "  drop 1 holds item 1002 40 times\n"},
  {"percentages_out_of_range", Planned::plainly, [](Json& p) {
     p["settings"]["chance"] = "1e30";
     p["settings"]["probability"] = "-7";
     set_column(p, "lootdrop_entries", "chance", 1e30);
     set_column(p, "loottable_entries", "probability", -7);
   }, kNotGenerated + "  its chance \"1e30\" is not a number from 0 to 100\n"
   "  its probability \"-7\" is not a number from 0 to 100\n"},
  {"twenty_thousand_drops_in_one_loottable", Planned::plainly, [](Json& p) {
     Json drops = Json::array();
     for (int id = 1; id <= 20000; ++id) {
       Json copy = drop(p, 0);
       copy["lootdrop"][0]["id"] = copy["lootdrop_entries"][0]["lootdrop_id"] =
           copy["loottable_entries"][0]["lootdrop_id"] = id;
       drops.push_back(std::move(copy));
     }
     p["drops"] = std::move(drops);
   }, kNotGenerated + "  20000 drops go into loottable 77; a loottable takes one drop\n"},
  {"item_off_the_custom_list", Planned::from_a_list, [](Json& p) { drop(p, 0)["lootdrop_entries"][0]["item_id"] = 2001; },
   kNotGenerated + "  item 2001 (in 1 drops) is not on its custom list\n"},
  {"moved_npc_outside_the_levels", Planned::isolating, [](Json& p) { p["loottable_copies"][0]["moved_npcs"].push_back(7); },
   kMisfit + "  NPC 7 has level 30, outside the plan's levels 01-10\n"},
  {"highest_lootdrop_id_leaves_no_room", Planned::plainly, [](Json& p) { p["highest_lootdrop_id"] = 2147483647; },
   kCannot + "its highest lootdrop id 2147483647 leaves no room for the ids after it. Nothing was written.\n"},
  {"highest_loottable_id_leaves_no_room", Planned::isolating, [](Json& p) {
     const Json copy = p["loottable_copies"][0]["copy_id"], wrapped = std::numeric_limits<std::int64_t>::min();
     p["highest_loottable_id"] = std::numeric_limits<std::int64_t>::max();
     p["loottable_copies"][0]["copy_id"] = wrapped;
     for (Json& each : p["drops"])
       if (each["loottable_entries"][0]["loottable_id"] == copy) each["loottable_entries"][0]["loottable_id"] = wrapped;
   }, kCannot + "its highest loottable id 9223372036854775807 leaves no room for the ids after it. Nothing was "
   "written.\n"},
  {"highest_lootdrop_id_as_text", Planned::plainly, [](Json& p) { p["highest_lootdrop_id"] = "0"; },
   kCannot + "a value is missing or of another kind ([json.exception.type_error.302] type must be number, but is "
   "string). Nothing was written.\n"},
};
// clang-format on

void PrintTo(const Forged& forged, std::ostream* out) { *out << forged.name; }

class ForgedPlan : public testing::TestWithParam<Forged> {};

TEST_P(ForgedPlan, IsRefusedWithItsReasonsAndNothingWritten) {
  const Forged& forged = GetParam();
  std::ofstream(kList) << "1001\n1002\n";
  if (forged.planned == Planned::isolating)
    make_world(kSharedWorld, kIsolate);
  else
    make_world(kWorld,
               forged.planned == Planned::plainly ? kPlain : kPlain + Args{"--list", kList});
  Json plan = Json::parse(read_file(kPlan));
  forged.edit(plan);
  std::ofstream(kPlan) << plan.dump();
  const std::string before = world_checksums();
  const CliResult applied = apply_plan();
  EXPECT_EQ(std::tuple(applied.exit_code, applied.out, applied.err),
            std::tuple(1, std::string(), forged.err));
  EXPECT_EQ(fixture_value("SELECT CONCAT((SELECT COUNT(*) FROM lootdrop),'/',(SELECT COUNT(*) FROM "
                          "lootdrop_entries),'/',(SELECT COUNT(*) FROM loottable_entries))"),
            "0/0/0");
  EXPECT_EQ(world_checksums(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, ForgedPlan, testing::ValuesIn(kForged),
                         [](const auto& info) { return std::string(info.param.name); });

// The plan's levels never reach a statement: they must be a known range.
TEST(ForgedPlanText, LevelsHoldingSqlNeverReachTheServer) {
  make_world(kWorld, kPlain);
  Json plan = Json::parse(read_file(kPlan));
  plan["settings"]["levels"] = "01-10 AND SLEEP(1)=0";
  std::ofstream(kPlan) << plan.dump();
  const GeneralLog log;
  const CliResult applied = apply_plan();
  EXPECT_EQ(std::tuple(applied.exit_code, applied.err),
            std::tuple(1, kNotGenerated +
                              "  its levels \"01-10 AND SLEEP(1)=0\" are none of the level "
                              "ranges 01-10, 11-20, 21-30, 31-40, 41-50, 51-60, 61-99, 65-99\n"));
  for (const std::string& sql : log.statement_texts())
    EXPECT_EQ(sql.find("SLEEP"), std::string::npos) << sql;
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
}

TEST(ForgedPlanText, JsonNestedDeeplyIsRefusedNotACrash) {
  // A value as deep as that, once shown in a message, overflowed the stack.
  std::ofstream(kPlan) << R"({"format":"vandril_loot plan","version":)" << std::string(100000, '[')
                       << std::string(100000, ']') << "}";
  const CliResult applied = apply_plan();
  EXPECT_EQ(
      std::tuple(applied.exit_code, applied.err),
      std::tuple(1, "vandril_loot_cli: the plan " + kPlan +
                        " cannot be applied: its JSON nests deeper than 16 levels, deeper than any "
                        "plan. Nothing was written.\n"));
}

// Waits until a statement of the program waits for a lock (the run's turn or a row).
void await_waiting(const std::string& state_or_statement) {
  const std::string waiting = "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE STATE='" +
                              state_or_statement + "' OR INFO LIKE '" + state_or_statement + "%'";
  for (int i = 0; i < 300 && fixture_value(waiting) == "0"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// While apply waits for the run's turn, another writer moves NPC 8 (which the
// plan moves to a copy) to loottable 4 and deletes item 1001 (which every drop holds).
TEST(ApplyBesideAnotherWriter, AWorldChangedWhileWaitingIsNeverOverwritten) {
  make_world(kSharedWorld, kIsolate);
  ASSERT_EQ(fixture_value("SELECT GET_LOCK('vandril_loot.lootdrop_ids',600)"), "1");
  CliResult applied{};
  std::thread apply([&] { applied = apply_plan(); });
  await_waiting("User lock");
  fixture_sql("UPDATE npc_types SET loottable_id=4 WHERE id=8");
  fixture_sql("DELETE FROM items WHERE id=1001");
  const std::string changed = world_checksums();
  fixture_value("SELECT RELEASE_LOCK('vandril_loot.lootdrop_ids')");
  apply.join();
  EXPECT_EQ(
      std::tuple(applied.exit_code, applied.err),
      std::tuple(
          1, std::string("The world changed while the run waited for its turn; the transaction was "
                         "rolled back, nothing was written:\n  NPC 8 has loottable 4, not 3 as "
                         "planned\n  item 1001 no longer exists\n")));
  EXPECT_EQ(fixture_value("SELECT loottable_id FROM npc_types WHERE id=8"), "4");
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop_entries WHERE item_id=1001"), "0");
  EXPECT_EQ(world_checksums(), changed);
}

// Another writer's transaction deletes item 1001 before apply checks it under
// its turn: apply's locking read waits for that transaction, then sees the item gone.
TEST(ApplyBesideAnotherWriter, ItsChecksWaitForAWriterStillAtWork) {
  make_world(kSharedWorld, kIsolate);
  fixture_sql("START TRANSACTION");
  fixture_sql("DELETE FROM items WHERE id=1001");
  CliResult applied{};
  std::thread apply([&] { applied = apply_plan(); });
  await_waiting("SELECT id,itemtype FROM items");
  fixture_sql("COMMIT");
  const std::string changed = world_checksums();
  apply.join();
  EXPECT_EQ(
      std::tuple(applied.exit_code, applied.err),
      std::tuple(
          1, std::string("The world changed while the run waited for its turn; the transaction was "
                         "rolled back, nothing was written:\n  item 1001 no longer exists\n")));
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop_entries WHERE item_id=1001"), "0");
  EXPECT_EQ(world_checksums(), changed);
}

// Between generate's plan and its write, another writer's transaction moves
// NPC 8: the run's move waits for it, then leaves the NPC with that writer's loottable.
TEST(ApplyBesideAnotherWriter, AnNpcMovedMeanwhileKeepsTheOtherWritersLoottable) {
  reset_world();
  for (const std::string& sql : kSharedWorld) fixture_sql(sql);
  fixture_sql("START TRANSACTION");
  fixture_sql("UPDATE npc_types SET loottable_id=4 WHERE id=8");
  const GeneralLog log;
  CliResult written{};
  std::thread generate([&] { written = run_cli(Args{"--no-journal"} + kIsolate + Args{"--yes"}); });
  await_waiting("UPDATE npc_types SET loottable_id=CASE");
  fixture_sql("COMMIT");
  const std::string changed = world_checksums();
  generate.join();
  EXPECT_EQ(
      std::tuple(written.exit_code, written.err),
      std::tuple(
          1, std::string("Only 1 of the 2 NPCs to move to the copies still had their loottable: "
                         "the transaction was rolled back, nothing was written.\n")));
  EXPECT_EQ(fixture_value("SELECT loottable_id FROM npc_types WHERE id=8"), "4");
  EXPECT_EQ(world_checksums(), changed);
  const Texts sent = log.statement_texts();
  EXPECT_NE(
      std::find(
          sent.begin(), sent.end(),
          "UPDATE npc_types SET loottable_id=CASE id WHEN 5 THEN 5 WHEN 8 THEN 5 END WHERE id IN "
          "(5,8) AND loottable_id=CASE id WHEN 5 THEN 3 WHEN 8 THEN 3 END"),
      sent.end());
}

}  // namespace
}  // namespace vl::test
