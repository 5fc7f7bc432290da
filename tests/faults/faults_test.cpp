// Commands against a server that dies, refuses the login or is not there: rows
// of the scenario engine on the fault tests' own server.

#include <tuple>

#include "support/scenario.h"

namespace vl::test {
namespace {

const std::string kDelete = "Delete ALL Custom Loot Drops For SELECTED Levels";
const std::string kLost = "Lost connection to server during query";
const std::string kNpcQuery = "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10";
const Texts kRunSeed = {"INSERT INTO items (id,name,itemtype) VALUES (1001,'plate',10)",
                        "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
                        "(1,'a',5,77),(2,'b',5,78),(3,'c',5,79),(4,'d',5,80)"};
// The run's statements: the item and NPC queries, then `drops` whole drops.
Texts run(int drops) {
  Texts sql = {"SELECT id from items WHERE ( itemtype=10)", kNpcQuery};
  for (int npc = 1; npc <= drops; ++npc) sql = sql + drop_sql(76 + npc, {"1001"}, "10", "50", npc);
  return sql;
}
Texts without_last(Texts texts) {
  texts.pop_back();
  return texts;
}
Texts repair(int npcs) {
  const Texts all = {"5", "6", "7"};
  return repair_sql(1, {"2001", "2001", "2001", "2001"}, 1, Texts(all.begin(), all.begin() + npcs));
}
const std::string kNothingWritten = "1 / - / - / - / - / 1:77,2:78,3:79,4:80";
const std::string kRunLost = "INSERT INTO lootdrop_entries values (2,1001,1,1,10,0,127,1)";

const Texts kRepairSeed = {"INSERT INTO items (id,name) VALUES (2001,'cloth gloves')",
                           "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
                           "(5,'a',1,0),(6,'b',1,0),(7,'c',1,0)"};
const std::string kRepairLost = "INSERT INTO LOOTTABLE_ENTRIES values (2,1,1,50,1,0)";
const std::string kDeleteLost = "DELETE FROM loottable_entries WHERE lootdrop_id=10";

// clang-format off
const Row kFaultRows[] = {
  // Between two NPCs the next connection fails: the message, then the end.
  {.name = "ExecuteServerKilledBetweenNpcsEndsTheProgram", .seed = kRunSeed, .fault = Fault::kill, .at = 5,
   .sql = run(2),  // NPC 3's drop did not even ask for an id
   .messages = {kConnectionFailed}, .after = "1 / 1:lvl_01-10_CUSTOM_armour,2:lvl_01-10_CUSTOM_armour / "
     "1:1001:10,2:1001:10 / - / 77:1:50,78:2:50 / 1:77,2:78,3:79,4:80",
   .exits = {2}, .window = window("10011", "none", "> 3/4 10857.5")},
  // Before NPC 2 another session locks the entries: the server dies under the waiting one.
  {.name = "ExecuteServerLostInADropStopsTheRun", .seed = kRunSeed, .fault = Fault::lock_kill,
   .table = "lootdrop_entries", .head = "INSERT INTO lootdrop_entries", .at = 4,
   .sql = without_last(run(2)),  // the link never ran
   .messages = {rejected(kLost, kRunLost)}, .state = " | " + kRunLost,
   // No transaction: NPC 2's lootdrop stands without its entry and its link.
   .after = "1 / 1:lvl_01-10_CUSTOM_armour,2:lvl_01-10_CUSTOM_armour / 1:1001:10 / - / 77:1:50 / 1:77,2:78,3:79,4:80",
   .waited = kRunLost, .journal = Journal::on, .history = "execute interrupted 6 undoable"},
  // A SELECT on a missing table is refused when prepared, which leaves no line in
  // the log; the INSERT is logged, then refused.
  {.name = "ExecuteStopsAtAMissingNpcTable", .seed = kRunSeed, .fault = Fault::rename, .table = "npc_types",
   .sql = without_last(run(0)), .messages = {rejected("Table 'world.npc_types' doesn't exist", kNpcQuery)},
   .after = kNothingWritten},
  {.name = "ExecuteStopsAtAMissingLootdropTable", .seed = kRunSeed, .fault = Fault::rename, .table = "lootdrop",
   .sql = run(0), .messages = {rejected("Table 'world.lootdrop' doesn't exist", "SELECT MAX(id) FROM lootdrop")},
   .after = kNothingWritten},
  {.name = "ExecuteStopsAtAMissingLinkTable", .seed = kRunSeed, .fault = Fault::rename, .table = "loottable_entries",
   .sql = run(1), .messages = {rejected("Table 'world.loottable_entries' doesn't exist", run(1).back())},
   .after = "1 / 1:lvl_01-10_CUSTOM_armour / 1:1001:10 / - / - / 1:77,2:78,3:79,4:80"},
  // The counted columns stay; the failed one and those after it are empty, not stale.
  {.name = "StatsServerKilledBetweenRangesKeepsTheCountedColumns", .seed = {"INSERT INTO lootdrop VALUES "
     "(1,'lvl_01-10_CUSTOM_armour'),(2,'lvl_21-30_CUSTOM_weapon'),(3,'lvl_41-50_CUSTOM_armour')"},
   .command = Command::stats, .fault = Fault::kill, .at = 6,
   .sql = stats_counts(3),  // the lost count never reached the server
   .messages = {rejected(kLost, "select count(id) from lootdrop where lootdrop.name = 'lvl_31-40_CUSTOM_armour'")},
   .columns = Texts{"1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
     "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
     "0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", "", "", "", "", ""},
   .after = "0 / 1:lvl_01-10_CUSTOM_armour,2:lvl_21-30_CUSTOM_weapon,3:lvl_41-50_CUSTOM_armour / - / - / - / -",
   .window = window("11111", "open")},
  // Both drops of the range and the entries of drop 10 are gone; every link stays.
  {.name = "DeleteServerLostKeepsWhatItsStatementsDeleted", .seed = {"INSERT INTO lootdrop VALUES "
     "(10,'lvl_01-10_CUSTOM_armour'),(11,'lvl_01-10_CUSTOM_weapon'),(12,'lvl_11-20_CUSTOM_armour')",
     "INSERT INTO lootdrop_entries SELECT id,id+1000,1,1,10,0,127,1 FROM lootdrop",
     "INSERT INTO loottable_entries SELECT id+60,id,1,50,1,0 FROM lootdrop"},
   .command = Command::remove, .fault = Fault::lock_kill, .table = "loottable_entries",
   .head = "DELETE FROM loottable_entries", .sql = deletion_sql("01-10", {10}),
   .messages = {rejected(kLost, kDeleteLost)}, .trace = Texts{"WORKING...", kDelete, "msg"},
   .after = "0 / 12:lvl_11-20_CUSTOM_armour / 11:1011:10,12:1012:10 / - / 70:10:50,71:11:50,72:12:50 / -",
   .waited = kDeleteLost, .window = window("11111", "closed", ">READY 11210")},
  {.name = "RepairServerKilledBeforeAnNpcEndsTheProgram", .seed = kRepairSeed, .command = Command::repair,
   .fault = Fault::kill, .at = 2, .sql = repair(1), .messages = {kConnectionFailed},
   .trace = Texts{"lx WORKING...", "WORKING: 1/3", "rp", "WORKING: 2/3", "rp", "msg"},
   .after = "1 / 1:fixed_by_KORVATH / 1:2001:1,1:2001:1,1:2001:1,1:2001:1 / 1 / 1:1:50 / 5:1,6:0,7:0",
   .exits = {2}, .window = window("11111", "none", "WORKING... 11210", kDelete, "WORKING: 2/3")},
  // Neither "Repaired" nor disabled: the button is back as designed. NPC 5 is
  // repaired; NPC 6's loottable stands without its entry; NPC 7 is untouched.
  {.name = "RepairServerLostInsideAnNpcIsReported", .seed = kRepairSeed, .command = Command::repair,
   .fault = Fault::lock_kill, .table = "loottable_entries", .head = "INSERT INTO LOOTTABLE_ENTRIES", .at = 2,
   .sql = without_last(repair(2)), .messages = {rejected(kLost, kRepairLost)},
   .trace = Texts{"lx WORKING...", "WORKING: 1/3", "rp", "WORKING: 2/3", "rp", "Repair NPC's Without Lootdrops",
     "lx >Ready", "msg"},
   .after = "1 / 1:fixed_by_KORVATH / 1:2001:1,1:2001:1,1:2001:1,1:2001:1 / 1,2 / 1:1:50 / 5:1,6:0,7:0",
   .waited = kRepairLost, .window = window("11111", "open")},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Faults, Scenario, ::testing::ValuesIn(kFaultRows), scenario_name);

// Each command meeting a server it cannot log in to, or that is not there: the
// message, then the end; no statement; what each had changed on the window.
std::vector<Row> unreachable() {
  const std::string untouched = window("11111", "none", ">READY 11210");
  const std::tuple<const char*, Command, std::string> commands[] = {
      {"Execute", Command::execute, window("10011", "none", "Generating Items Lists 11210")},
      {"ShowStats", Command::stats, untouched},
      {"Delete", Command::remove,
       window("11111", "none", ">READY 11210", "WORKING...", "Repair NPC's Without Lootdrops")},
      {"Repair", Command::repair, window("11111", "none", "WORKING... 11210")},
      {"TestQuery", Command::test_query, untouched}};
  std::vector<Row> rows;
  for (const auto& [name, command, shown] : commands) {
    for (const Fault fault : {Fault::password, Fault::stopped}) {
      const bool login = fault == Fault::password;
      // clang-format off
      rows.push_back({.name = name + std::string(login ? "RefusedLogin" : "StoppedServer"),
          .seed = {"INSERT INTO items (id,name,itemtype) VALUES (1001,'cloth cap',10)",
                   "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,77),(2,'b',5,0)",
                   "INSERT INTO lootdrop VALUES (10,'lvl_01-10_CUSTOM_armour')"},
          .command = command, .rules = "reqlevel<=10", .fault = fault,
          .connections = login ? 1 : 0,  // the refused login
          .messages = {kConnectionFailed}, .after = "1 / 10:lvl_01-10_CUSTOM_armour / - / - / - / 1:77,2:0",
          .exits = {2}, .window = shown});
      // clang-format on
    }
  }
  return rows;
}
INSTANTIATE_TEST_SUITE_P(Unreachable, Scenario, ::testing::ValuesIn(unreachable()), scenario_name);

}  // namespace
}  // namespace vl::test
