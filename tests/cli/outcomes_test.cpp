// What the journal knows of a run's outcome, and what undo makes of it: a run
// refused or stopped before its decisive statement wrote nothing and keeps no
// rows; a run whose outcome is unknown is undone drop by drop, only where the
// drop is exactly as it wrote it and no later run wrote its id; undo never
// removes what the world still uses.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>

#include "journal/store.h"
#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

CliResult cli(const std::string& journal, const Args& args) {
  return CliProcess(journaled(journal, args)).wait();
}

// history as "id command rows outcome undoable" lines.
std::string runs_listed(const std::string& journal) {
  std::string listed;
  for (const auto& run : nlohmann::json::parse(cli(journal, {"history", "--format", "json"}).out))
    listed += run["id"].dump() + " " + run["command"].get<std::string>() + " " +
              run["rows"].dump() + " " + run["outcome"].get<std::string>() + " " +
              (run["undoable"].get<bool>() ? "undoable" : "not undoable") + "\n";
  return listed;
}

// Waits until `waiting` (a count of the program's statements waiting for a lock) is not 0.
void wait_for(const std::string& waiting) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (fixture_value(waiting) == "0") {
    ASSERT_LT(std::chrono::steady_clock::now(), until) << waiting;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}
// A statement waiting for a table locked by LOCK TABLES.
const std::string kWaitsForTable =
    "SELECT COUNT(*) FROM information_schema.processlist WHERE state LIKE '%metadata lock%'";
// The INSERT of links, which waits for rows locked by another transaction.
const std::string kLinksWait =
    "SELECT COUNT(*) FROM information_schema.processlist WHERE info LIKE 'INSERT INTO "
    "loottable_entries%'";

const std::string kArmours =
    "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10)";
const std::string kNpcs =
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77),(2,'n',5,88)";
const Args kGenerate = {"generate", "--window-way", "--yes", "--levels", "01-10", "--npc-percent",
                        "101",      "--items",      "2",     "--seed",   "5"};
const Args kAtomic = {"generate", "--atomic", "--yes", "--levels", "01-10", "--npc-percent",
                      "101",      "--items",  "2",     "--seed",   "5"};
const Args kUndo = {"undo", "1", "--yes"}, kForced = {"undo", "1", "--yes", "--force"};
// Rows that point at nothing, counted in each table.
const std::string kOrphans =
    "SELECT CONCAT((SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id NOT IN (SELECT id "
    "FROM lootdrop)),'/',(SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id NOT IN "
    "(SELECT id FROM lootdrop)),'/',(SELECT COUNT(*) FROM loottable_entries WHERE loottable_id "
    "NOT IN (SELECT id FROM loottable) AND loottable_id<70),'/',(SELECT COUNT(*) FROM npc_types "
    "WHERE loottable_id>0 AND loottable_id NOT IN (SELECT id FROM loottable) AND "
    "loottable_id<70))";

// An all-or-nothing run whose COMMIT was never sent: refused by a journal on
// a full disk that cannot even record the run's end, or killed while a
// statement waits. It is marked refused at the next open, keeps no rows, and
// a later run under the same ids is never undone in its place.
struct UnsentRow {
  const char* name;
  std::string full_disk;  // SQLite statements that make the journal fail; "" to kill instead
};

void PrintTo(const UnsentRow& row, std::ostream* out) { *out << row.name; }

class UnsentCommit : public ::testing::TestWithParam<UnsentRow> {};

TEST_P(UnsentCommit, LeavesARefusedRunAndNothingToUndo) {
  const UnsentRow& row = GetParam();
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  const std::string journal = fresh_journal(std::string("outcomes_") + row.name);
  journal::Store made(journal);  // the journal's tables, for the triggers
  if (!row.full_disk.empty()) {
    journal_value(journal, row.full_disk);
    EXPECT_EQ(cli(journal, kAtomic).exit_code, 1);
    journal_value(journal, "DROP TRIGGER full_rows; DROP TRIGGER no_delete; DROP TRIGGER no_end");
  } else {
    // The gap above every link locked: the run's INSERT of the links waits inside its transaction.
    fixture_sql("START TRANSACTION");
    fixture_value("SELECT COUNT(*) FROM loottable_entries WHERE loottable_id>=0 FOR UPDATE");
    CliProcess run(journaled(journal, kAtomic));
    wait_for(kLinksWait);
    kill(run.pid(), SIGKILL);
    EXPECT_EQ(run.wait().exit_code, 128 + SIGKILL);
    fixture_sql("ROLLBACK");
  }
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
  EXPECT_EQ(runs_listed(journal), "1 generate 0 refused not undoable\n");
  ASSERT_EQ(cli(journal, kAtomic).exit_code, 0);  // the same ids, the same rows
  const std::string written = world_checksums();
  const CliResult undo = cli(journal, kForced);
  EXPECT_EQ(undo.exit_code, 1);
  EXPECT_EQ(undo.err,
            "Run 1 cannot be undone: It changed nothing in the world. Nothing was changed.\n");
  EXPECT_EQ(world_checksums(), written);
}

const UnsentRow kUnsentRows[] = {
    {"full_disk",
     "CREATE TRIGGER full_rows AFTER INSERT ON rows WHEN NEW.tbl='lootdrop_entries' BEGIN SELECT "
     "RAISE(ABORT, 'disk full'); END; CREATE TRIGGER no_delete BEFORE DELETE ON rows BEGIN SELECT "
     "RAISE(ABORT, 'disk full'); END; CREATE TRIGGER no_end BEFORE UPDATE ON runs WHEN "
     "NEW.ended IS NOT NULL BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
    {"killed_before_commit", ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, UnsentCommit, ::testing::ValuesIn(kUnsentRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A delete stopped by Ctrl+C while it reads, before its DELETE: no DELETE
// reaches the server and the journal keeps no run, so drops removed another
// way later are never put back.
TEST(StoppedDelete, BeforeItsDeleteKeepsNoRun) {
  reset_world();
  fixture_sql(
      "INSERT INTO lootdrop (id,name) SELECT seq,'lvl_51-60_CUSTOM_armour' FROM seq_1_to_50");
  fixture_sql(
      "INSERT INTO lootdrop_entries (lootdrop_id,item_id) SELECT seq,1001 FROM seq_1_to_50");
  const std::string journal = fresh_journal("outcomes_stopped_delete");
  GeneralLog log;
  fixture_sql("LOCK TABLES lootdrop_entries WRITE");
  CliProcess run(journaled(journal, {"delete", "--levels", "51-60", "--yes"}));
  wait_for(kWaitsForTable);
  kill(run.pid(), SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  fixture_sql("UNLOCK TABLES");
  const CliResult stopped = run.wait();
  EXPECT_EQ(stopped.exit_code, 130);
  EXPECT_EQ(stopped.err, "Stopped by Ctrl+C before anything was deleted.\n");
  for (const std::string& sql : log.statement_texts())
    EXPECT_FALSE(sql.starts_with("DELETE")) << sql;
  EXPECT_EQ(runs_listed(journal), "");
  fixture_sql("DELETE FROM lootdrop_entries");
  fixture_sql("DELETE FROM lootdrop");
  EXPECT_EQ(cli(journal, kUndo).exit_code, 1);
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "0");
}

// Ctrl+C, SIGTERM or SIGHUP while an all-or-nothing run plans (it only reads)
// ends it at once, and leaves no run in the journal.
TEST(StoppedPlanning, LeavesNoRun) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    reset_world();
    fixture_sql(kArmours);
    fixture_sql(kNpcs);
    const std::string journal = fresh_journal("outcomes_stopped_planning");
    fixture_sql("LOCK TABLES npc_types WRITE");
    CliProcess run(journaled(journal, kAtomic));
    wait_for(kWaitsForTable);
    kill(run.pid(), signal);
    EXPECT_EQ(run.wait().exit_code, 130);
    fixture_sql("UNLOCK TABLES");
    EXPECT_EQ(journal_value(journal, "SELECT COUNT(*) FROM runs"), "0");
  }
}

// Undo after the world moved on: rows changed in the journal (`journal_sql`,
// e.g. a run made unfinished with its rows unconfirmed, as when killed between
// COMMIT and confirming it), in the world (`between`), and later runs.
struct UndoRow {
  const char* name;
  Args command;
  std::string journal_sql, between;
  Args later, undo;
  int exit_code;
  std::string err, query, rows;
};

const std::string kUnknown =
    "UPDATE rows SET uncertain=1; UPDATE runs SET ended=NULL, outcome=NULL, last_row=NULL";
const std::string kSharedWorld[] = {
    kArmours,
    "INSERT INTO loottable (id,name) VALUES (1,'lt1'),(2,'lt2'),(3,'lt3'),(4,'lt4')",
    "INSERT INTO lootdrop (id,name) VALUES (11,'old'),(12,'old')",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (11,1001,5),(12,1002,6)",
    "INSERT INTO loottable_entries VALUES (1,11,1,100,1,0),(2,11,1,90,1,0),(3,12,2,50,1,0)",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
    "(1,'a',3,1),(3,'c',4,2),(4,'d',15,2),"
    "(5,'e',10,3),(6,'f',11,3),(10,'k',40,4)"};
const Args kIsolate = {"generate", "--atomic", "--yes", "--levels", "01-10", "--npc-percent",
                       "101",      "--items",  "1",     "--seed",   "3",     "--isolate-shared"};
const std::string kCopies = "SELECT GROUP_CONCAT(id ORDER BY id) FROM loottable WHERE id>4";
const std::string kDropsLeft =
    "SELECT CONCAT((SELECT GROUP_CONCAT(id ORDER BY id) FROM lootdrop),'/',(SELECT "
    "GROUP_CONCAT(DISTINCT lootdrop_id ORDER BY lootdrop_id) FROM lootdrop_entries),'/',(SELECT "
    "GROUP_CONCAT(lootdrop_id ORDER BY lootdrop_id) FROM loottable_entries))";

// clang-format off
const UndoRow kUndoRows[] = {
  // Outcome unknown, an entry changed since: that drop is left whole, the other goes.
  {"unknown_outcome_changed_drop_refused", kGenerate, kUnknown, "UPDATE lootdrop_entries SET chance=99 WHERE "
   "lootdrop_id=2 AND item_id=1002", {}, kUndo, 1, "conflict: lootdrop 2 is not as the run wrote it, and whether the "
   "run wrote it is unknown; it is left as it is, with its entries and links.\n1 conflicts; nothing was changed "
   "(--force skips them).\n", kDropsLeft, "1,2/1,2/1,2"},
  {"unknown_outcome_changed_drop_forced", kGenerate, kUnknown, "UPDATE lootdrop_entries SET chance=99 WHERE "
   "lootdrop_id=2 AND item_id=1002", {}, kForced, 0, "conflict: lootdrop 2 is not as the run wrote it, and whether "
   "the run wrote it is unknown; it is left as it is, with its entries and links.\n", kDropsLeft, "2/2/2"},
  // Outcome unknown, its drops gone and written again by a later run exactly alike: never the first run's.
  {"unknown_outcome_ids_taken_by_a_later_run", kGenerate, kUnknown, "DELETE FROM lootdrop; DELETE FROM "
   "lootdrop_entries; DELETE FROM loottable_entries", kGenerate, kForced, 0, "conflict: lootdrop 1 was written again "
   "by run 2 since; it is left as it is, with its entries and links.\nconflict: lootdrop 2 was written again by run "
   "2 since; it is left as it is, with its entries and links.\n", kDropsLeft, "1,2/1,2/1,2"},
  // Another writer links drop 1 into loottable 4 since: the drop stays whole, even forced.
  {"drop_linked_since_refused", kGenerate, "", "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES "
   "(4,1)", {}, kUndo, 1, "conflict: lootdrop 1 is used by 1 links the run did not make; it is left as it is, with "
   "its entries and links.\n1 conflicts; nothing was changed (--force skips them).\n", kDropsLeft, "1,2/1,2/1,1,2"},
  {"drop_linked_since_forced", kGenerate, "", "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES "
   "(4,1)", {}, kForced, 0, "conflict: lootdrop 1 is used by 1 links the run did not make; it is left as it is, "
   "with its entries and links.\n", kDropsLeft, "1/1/1,1"},
  // NPC 10, outside the range, pointed at the copy of loottable 3 since: the copy stays.
  {"copy_used_since_refused", kIsolate, "", "UPDATE npc_types SET loottable_id=6 WHERE id=10", {}, kUndo, 1,
   "conflict: loottable 6 is used by 1 NPCs the run did not move to it.\n1 conflicts; nothing was changed (--force "
   "skips them).\n", kCopies, "5,6"},
  {"copy_used_since_forced", kIsolate, "", "UPDATE npc_types SET loottable_id=6 WHERE id=10", {}, kForced, 0,
   "conflict: loottable 6 is used by 1 NPCs the run did not move to it.\n", "SELECT CONCAT((" + kCopies + "),' ',(" +
   kOrphans + "))", "6 0/0/0/0"},
  // A copied entry changed since: forced, the copy stays with it, nothing points at nothing.
  {"copy_entry_changed_forced", kIsolate, "", "UPDATE loottable_entries SET probability=7 WHERE loottable_id=6 AND "
   "lootdrop_id=12", {}, kForced, 0, "conflict: loottable_entries (6,12,2,50,1,0) is no longer as the run wrote "
   "it.\n", "SELECT CONCAT((" + kCopies + "),' ',(" + kOrphans + "))", "6 0/0/0/0"},
};
// clang-format on

void PrintTo(const UndoRow& row, std::ostream* out) { *out << row.name; }

class UndoAfterwards : public ::testing::TestWithParam<UndoRow> {};

TEST_P(UndoAfterwards, LeavesWhatIsNotSurelyTheRunsOrStillUsed) {
  const UndoRow& row = GetParam();
  reset_world();
  if (row.command == kIsolate) {
    for (const std::string& sql : kSharedWorld) fixture_sql(sql);
  } else {
    fixture_sql(kArmours);
    fixture_sql(kNpcs);
  }
  const std::string journal = fresh_journal(std::string("outcomes_") + row.name);
  ASSERT_EQ(cli(journal, row.command).exit_code, 0);
  if (!row.journal_sql.empty()) journal_value(journal, row.journal_sql);
  for (std::string rest = row.between; !rest.empty();) {  // one statement after another
    const auto end = rest.find("; ");
    fixture_sql(rest.substr(0, end));
    rest.erase(0, end == std::string::npos ? end : end + 2);
  }
  if (!row.later.empty()) {
    ASSERT_EQ(cli(journal, row.later).exit_code, 0);
  }
  const CliResult undo = cli(journal, row.undo);
  EXPECT_EQ(undo.exit_code, row.exit_code) << undo.err;
  EXPECT_EQ(undo.err, row.err);
  EXPECT_EQ(fixture_value(row.query), row.rows);
}

INSTANTIATE_TEST_SUITE_P(Rows, UndoAfterwards, ::testing::ValuesIn(kUndoRows),
                         [](const auto& info) { return std::string(info.param.name); });

// generate killed at random moments, the window's way or all or nothing, each
// time followed by a complete run and the forced undo of the killed one: the
// later run's rows stay as they are, and nothing is left pointing at nothing.
TEST(KilledRuns, UndoNeverTouchesALaterRun) {
  const auto small_world = [] {
    reset_world();
    fixture_sql("INSERT INTO items (id,name,itemtype) SELECT seq,'i',10 FROM seq_1001_to_1003");
    fixture_sql(
        "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq FROM "
        "seq_1_to_80");
  };
  const auto first_run = [](bool atomic) {
    return Args{"generate", atomic ? "--atomic" : "--window-way",
                "--yes",    "--levels",
                "01-10",    "--npc-percent",
                "101",      "--items",
                "2"};
  };
  const Args later_run = {"generate", "--window-way", "--yes", "--levels", "01-10", "--npc-percent",
                          "101",      "--items",      "2",     "--chance", "20"};
  const std::string later_rows =
      "SELECT CONCAT((SELECT CONCAT(COUNT(*),':',SUM(CRC32(CONCAT_WS(',',d.id,d.name,e.item_id)))) "
      "FROM lootdrop d JOIN lootdrop_entries e ON e.lootdrop_id=d.id WHERE e.chance=20),' "
      "',(SELECT "
      "CONCAT(COUNT(*),':',SUM(CRC32(CONCAT_WS(',',loottable_id,lootdrop_id)))) FROM "
      "loottable_entries WHERE lootdrop_id IN (SELECT lootdrop_id FROM lootdrop_entries WHERE "
      "chance=20)))";
  const std::string orphans =
      "SELECT CONCAT((SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id NOT IN (SELECT id "
      "FROM lootdrop)),'/',(SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id NOT IN "
      "(SELECT id FROM lootdrop)))";
  // How long a whole run takes each way: the kills fall anywhere in it.
  std::chrono::microseconds whole[2];
  for (const bool atomic : {false, true}) {
    small_world();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(cli(fresh_journal("outcomes_killed"), first_run(atomic)).exit_code, 0);
    whole[atomic] = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
  }
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  for (int kill_at = 0; kill_at < 20; ++kill_at) {
    const bool atomic = kill_at % 2 == 1;
    const auto after = std::chrono::microseconds(random() % (whole[atomic].count() + 1));
    SCOPED_TRACE("seed " + std::to_string(seed) + ", kill " + std::to_string(kill_at) + " after " +
                 std::to_string(after.count()) + " us");
    small_world();
    const std::string journal = fresh_journal("outcomes_killed");
    {
      CliProcess run(journaled(journal, first_run(atomic)));
      std::this_thread::sleep_for(after);
      kill(run.pid(), SIGKILL);
      run.wait();
    }
    // Killed before its run began, it wrote nothing (and the later run is run 1).
    const bool begun = std::filesystem::exists(journal) && !runs_listed(journal).empty();
    ASSERT_EQ(cli(journal, later_run).exit_code, 0);
    const std::string written = fixture_value(later_rows);
    const CliResult undo = begun ? cli(journal, kForced) : CliResult{};
    EXPECT_EQ(fixture_value(later_rows), written) << undo.err;
    EXPECT_EQ(fixture_value(orphans), "0/0") << undo.err;
    // What the killed run left is gone, unless undo listed it.
    if (undo.err.find("conflict") == std::string::npos) {
      EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop_entries WHERE chance<>20"), "0")
          << undo.err;
    }
  }
}

}  // namespace
}  // namespace vl::test
