// Show Stats, Delete and Repair as rows of the scenario engine.

#include <numeric>

#include "db/database.h"
#include "support/scenario.h"

namespace vl::test {
namespace {

// Statistics columns from one digit per count, each count followed by CR LF.
Texts columns(const Texts& digits) {
  Texts texts(8, "");
  for (std::size_t c = 0; c < digits.size(); ++c)
    for (const char count : digits[c]) texts[c] += std::string(1, count) + "\r\n";
  return texts;
}
const Texts kStatsDrops = {
    "INSERT INTO lootdrop (id,name) VALUES (1,'lvl_01-10_CUSTOM_armour'),"
    "(2,'lvl_01-10_CUSTOM_armour'),(3,'lvl_01-10_CUSTOM_Potions'),(4,'lvl_61-99_CUSTOM_weapon'),"
    "(5,'lvl_65-99_CUSTOM_Ales/Drinks'),(6,'lvl_01-10_CUSTOM_armourX'),"
    "(7,'lvl_01-10_CUSTOM_Drinks/Ales'),(8,'lvl_11-20_CUSTOM_idols,charms,trinkets'),"
    "(9,'lvlX01-10_CUSTOM_armour'),(10,'fixed_by_KORVATH'),"
    "(11,'lvl_31-40_CUSTOM_high level augment items/Solvents')"};
const Texts kCounts = {"200000010000", "000000000000", "000000000000", "000000000001",
                       "000000000000", "000000000000", "010000000000", "000000000100"};
// Drops 10 to 14, one entry each, linked into loottable 1 or 2, each held by an NPC.
const Texts kDrops = {
    "INSERT INTO lootdrop VALUES (10,'lvl_01-10_CUSTOM_armour'),(11,'lvlX01-10anything'),"
    "(12,'lvl_61-99_CUSTOM_weapon'),(13,'lvl_65-99_CUSTOM_weapon'),(14,'fixed_by_KORVATH')",
    "INSERT INTO lootdrop_entries SELECT id,id+1000,1,1,10,0,127,1 FROM lootdrop",
    "INSERT INTO loottable_entries SELECT 1+id%2,id,1,50,1,0 FROM lootdrop",
    "INSERT INTO loottable VALUES (1,'one',0,0,0),(2,'two',0,0,0)",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,1),(2,'b',5,2)"};
const std::string kAllStay =
    "0 / 10:lvl_01-10_CUSTOM_armour,11:lvlX01-10anything,12:lvl_61-99_CUSTOM_weapon,"
    "13:lvl_65-99_CUSTOM_weapon,14:fixed_by_KORVATH / 10:1010:10,11:1011:10,12:1012:10,13:1013:10,"
    "14:1014:10 / 1,2 / 1:10:50,1:12:50,1:14:50,2:11:50,2:13:50 / 1:1,2:2";
const std::string kDelete = "Delete ALL Custom Loot Drops For SELECTED Levels";
const std::string kDeleted = window("11111", "closed", ">READY 11210");
const std::string kRepaired = window("11101", "open", ">Ready 11210", kDelete, "Repaired");
const Texts kFourCloth = {"2001", "2001", "2001", "2001"};
const Texts kRepairStopped = repair_sql(1, kFourCloth, 1, {"5", "6"});
std::uint64_t seed_beyond_32767() {  // the first of 33000 items drawn lies beyond the 32767th
  std::uint64_t seed = 1;
  for (Random probe(seed); probe.next() * 33000.0 < 32767; probe.seed(++seed)) {
  }
  return seed;
}

// clang-format off
const Row kMaintenanceRows[] = {
  // A column is cleared just before its own counts: those to its right still show
  // the previous press while events go through.
  {.name = "StatsCountEveryRangeAndWordOverOneConnection", .seed = kStatsDrops, .command = Command::stats,
   .sql = stats_counts(8), .on = std::string(96, '0'), .connections = 1,
   .trace = Texts{"lx WORKING...", "x2 9550", "x2 9726.25", "rp", "ev s7", "x2 9902.5", "rp", "ev s6", "x2 10078.75",
     "rp", "ev s5", "x2 10255", "rp", "ev s4", "x2 10431.25", "rp", "ev s3", "x2 10607.5", "rp", "ev s2", "x2 10783.75",
     "rp", "ev s1", "x2 10960", "rp", "ev s0", "lx >Ready", "x2 11210"},
   .columns = columns(kCounts), .window = window("11111", "open")},
  // After the second range another command replaces the connection (the counts
  // carry on over it), after the third one another closes it.
  {.name = "StatsInterruptedByAnotherCommand", .seed = kStatsDrops, .command = Command::stats,
   .ticks = {{4, [](ProgramState& s) { db::open_database(s); }}, {6, [](ProgramState& s) { s.db_connection->close(); }}},
   .sql = stats_counts(3), .on = std::string(24, '0') + std::string(12, '1'),
   .messages = {"The counts were interrupted by another command.\r\nPress Show Stats again."},
   .trace = Texts{"...", "ev s5", "x2 10255", "rp", "lx >Ready", "x2 11210", "msg"},
   .columns = columns({kCounts[0], kCounts[1], kCounts[2]})},
  {.name = "StatsStopAtATableGone", .seed = kStatsDrops, .command = Command::stats,
   .ticks = {{4, [](ProgramState&) { fixture_sql("DROP TABLE lootdrop"); }}}, .sql = stats_counts(2),
   .messages = {rejected("Table 'world.lootdrop' doesn't exist",
     "select count(id) from lootdrop where lootdrop.name = 'lvl_21-30_CUSTOM_armour'")},
   .columns = columns({kCounts[0], kCounts[1]}), .after = "0",
   .after_query = "SELECT COUNT(*) FROM information_schema.tables WHERE table_name='lootdrop'",
   .window = window("11111", "open")},
  // Over a connection of its own, then the runner's, which it closes. "_" takes the
  // foreign "lvlX01-10anything" too; loottables and NPCs stay.
  {.name = "DeleteTakesTheDropsOfTheRangeThenTheirEntries", .seed = kDrops, .command = Command::remove,
   .sql = deletion_sql("01-10", {11, 10}), .on = "111111", .connections = 2,
   .trace = Texts{"WORKING...", kDelete, "beeps 1"},
   .after = "0 / 12:lvl_61-99_CUSTOM_weapon,13:lvl_65-99_CUSTOM_weapon,14:fixed_by_KORVATH / "
     "12:1012:10,13:1013:10,14:1014:10 / 1,2 / 1:12:50,1:14:50,2:13:50 / 1:1,2:2", .window = kDeleted,
   .journal = Journal::on, .history = "delete completed 3 not undoable"},  // the pattern and two ids
  {.name = "DeleteTellsRangesApart", .seed = kDrops, .command = Command::remove, .level = "61-99",  // not 65-99
   .sql = deletion_sql("61-99", {12}), .window = kDeleted},
  {.name = "DeleteWithoutAMatch", .seed = kDrops, .command = Command::remove, .level = "21-30",
   .sql = deletion_sql("21-30", {}), .window = kDeleted},
  {.name = "DeleteWithoutARange", .seed = kDrops, .command = Command::remove, .level = "21-", .connections = 0,
   .trace = Texts{}, .window = window("11111", "none", ">READY 11210")},
  {.name = "DeleteUnreadableDropsDeletesNothing", .seed = kDrops, .command = Command::remove, .fault = Fault::rename,
   .table = "lootdrop",
   .messages = {"The custom loot drops of levels 01-10 could not be read from the database, so nothing was deleted."},
   .after = kAllStay, .window = kDeleted},
  {.name = "DeleteStopsAtARejectedStatement", .seed = kDrops, .command = Command::remove, .fault = Fault::rename,
   .table = "loottable_entries", .sql = deletion_sql("01-10", {11}),
   .messages = {rejected("Table 'world.loottable_entries' doesn't exist", deletion_sql("01-10", {11})[3])},
   .trace = Texts{"WORKING...", kDelete, "msg"},  // no beep
   .after = "0 / 12:lvl_61-99_CUSTOM_weapon,13:lvl_65-99_CUSTOM_weapon,14:fixed_by_KORVATH / "
     "10:1010:10,12:1012:10,13:1013:10,14:1014:10 / 1,2 / 1:10:50,1:12:50,1:14:50,2:11:50,2:13:50 / 1:1,2:2",
   .window = kDeleted},
  {.name = "DeleteTakesMoreThan32000Drops", .seed = Texts{"INSERT INTO lootdrop SELECT seq,'lvl_41-50_CUSTOM_armour' "
     "FROM seq_100_to_32200"} + kDrops, .command = Command::remove, .level = "41-50",
   .sql = [] {
     std::vector<int> ids(32101);
     std::iota(ids.begin(), ids.end(), 100);
     return deletion_sql("41-50", ids);
   }(), .after = kAllStay, .window = kDeleted},
  {.name = "RepairSharesOneDropAcrossNpcs", .seed = {"INSERT INTO items (id,name) VALUES (1001,'Cloth Cap'),"
     "(1002,'rusty sword'),(1003,'cloth shirt'),(1004,'Bronze Sword'),(1005,'old rusty key')",
     "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',2,0),(7,'c',3,0),(8,'d',3,40)",
     "INSERT INTO lootdrop VALUES (100,'lvl_01-10_CUSTOM_armour')", "INSERT INTO loottable VALUES (40,'existing',0,0,0)"},
   .command = Command::repair, .random = 1234,
   .sql = repair_sql(101, {"1001", "1002", "1002", "1002"}, 41, {"5", "6", "7"}),
   .on = "01222222333344445555",  // one connection per list and per maximum
   .trace = Texts{"lx WORKING...", "WORKING: 1/3", "rp", "WORKING: 2/3", "rp", "WORKING: 3/3", "rp", "Repaired",
     "Repaired (off)", "lx >Ready"},
   // The capitalised table names reached the lower-case tables.
   .after = "5 / 100:lvl_01-10_CUSTOM_armour,101:fixed_by_KORVATH / 101:1001:1,101:1002:1,101:1002:1,101:1002:1 / "
     "40,41,42,43 / 41:101:50,42:101:50,43:101:50 / 5:41,6:42,7:43,8:40", .window = kRepaired,
   .journal = Journal::on, .history = "repair completed 14 undoable", .undone = true},
  {.name = "RepairWithoutNpcsStillWritesTheDrop", .seed = {"INSERT INTO items (id,name) VALUES (2001,'rusty dagger')",
     "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,9)", "INSERT INTO lootdrop VALUES (7,'other')"},
   .command = Command::repair, .sql = repair_sql(8, kFourCloth, 1, {}),
   .trace = Texts{"lx WORKING...", "Repaired", "Repaired (off)", "lx >Ready"},
   .after = "1 / 7:other,8:fixed_by_KORVATH / 8:2001:1,8:2001:1,8:2001:1,8:2001:1 / - / - / 5:9", .window = kRepaired},
  {.name = "RepairRefusesAnEmptyPool", .seed = {"INSERT INTO items (id,name) VALUES (50001,'Bronze Sword'),"
     "(50002,'old cloth')", "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0)"},
   .command = Command::repair, .sql = Texts(kRepairStopped.begin(), kRepairStopped.begin() + 2),
   .messages = {"No item whose name starts with cloth or rusty was found, so there is nothing to put into the repair "
     "loot. Nothing was written."},
   .trace = Texts{"lx WORKING...", "lx >Ready", "msg"},  // the button stays as it was
   .after = "2 / - / - / - / - / 5:0", .window = window("11111", "open")},
  {.name = "RepairDrawsBeyondThe32767thItem", .seed = {"INSERT INTO items (id,name) SELECT seq, CONCAT('cloth ', seq) "
     "FROM seq_1_to_33000"}, .command = Command::repair, .random = seed_beyond_32767(),
   .sql = repair_sql(1, {"9940", "11782", "25969", "8882"}, 1, {}), .window = kRepaired},
  {.name = "RepairStopsAtARejectedStatement", .seed = {"INSERT INTO items (id,name) VALUES (2001,'cloth gloves')",
     "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',1,0)"},
   .command = Command::repair, .fault = Fault::rename, .table = "loottable_entries",
   .sql = Texts(kRepairStopped.begin(), kRepairStopped.end() - 5),
   .messages = {rejected("Table 'world.loottable_entries' doesn't exist", kRepairStopped[10])},
   .trace = Texts{"lx WORKING...", "WORKING: 1/2", "rp", "Repair NPC's Without Lootdrops", "lx >Ready", "msg"},
   // No transaction: what was written before the failure stays.
   .after = "1 / 1:fixed_by_KORVATH / 1:2001:1,1:2001:1,1:2001:1,1:2001:1 / 1 / - / 5:0,6:0",
   .window = window("11111", "open")},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Maintenance, Scenario, ::testing::ValuesIn(kMaintenanceRows),
                         scenario_name);

}  // namespace
}  // namespace vl::test
