// One plan, every way of writing it: the atomic run, apply of the saved plan,
// the Preview's "Write all at once", the --sql script and the Preview's script
// (both through the mariadb client) leave the same tables from the same world
// and seed, the loottable copies included, whose names come over byte for byte
// under every sql_mode; the journaled ways leave the same run, undone whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/window/preview_run.h"
#include "journal/store.h"
#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

// Loottables 2 (shared across the border) and 3 (by NPCs of three ranges) get
// copies; their names come from the row.
const Texts kSharedWorld = {
    "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10)",
    "INSERT INTO lootdrop (id,name) VALUES (11,'old'),(12,'old'),(13,'old')",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (11,1001,5),(12,1002,6),"
    "(13,1001,7)",
    "INSERT INTO loottable_entries VALUES (1,11,1,100,1,0),(2,11,1,90,1,0),(3,12,2,50,1,0),"
    "(3,13,1,25,0,1),(4,13,1,10,1,0)",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',3,1),(2,'b',5,1),"
    "(3,'c',4,2),(4,'d',15,2),(5,'e',10,3),(6,'f',11,3),(7,'g',30,3),(8,'h',2,3),(9,'i',7,0),"
    "(10,'k',40,4)"};
// The NPCs of the range moved to the copies 5 and 6, the others left as they were.
const std::string kMoved = "1:1,2:1,3:5,4:2,5:6,6:3,7:3,8:6,9:0,10:4";
// clang-format off
const Args kPlanned = {"generate", "--levels", "01-10", "--npc-percent", "101", "--items", "1", "--chance", "10",
                       "--probability", "50", "--seed", "3", "--isolate-shared"};
// clang-format on

// `names`: the literals of loottable 2's and 3's names, comma-separated.
void make_world(const std::string& names) {
  reset_world();
  const std::size_t comma = names.find(',');
  fixture_sql("INSERT INTO loottable (id,name,mincash) VALUES (1,'lt1',10),(2," +
              names.substr(0, comma) + ",20),(3," + names.substr(comma + 1) + ",30),(4,'lt4',40)");
  for (const std::string& sql : kSharedWorld) fixture_sql(sql);
}

int mariadb(const std::string& script) {
  const DbSettings& db = db_settings();
  return std::get<0>(run_shell("mariadb --no-defaults -h " + db.host + " -u " + db.user + " -p" +
                               db.password + " " + db.name + " < " + script));
}

// The Preview's plan of the same settings and seed.
app::PreviewOutcome preview(ProgramState& session) {
  configure(session);
  app::WindowSettings settings;
  settings.low = "01", settings.high = "10", settings.percent_of_npcs = "101";
  settings.chance = "10", settings.probability = "50", settings.items = 1;
  settings.isolate_shared = true;
  return app::make_preview(session, settings, 3, [](app::PreviewStep) { return true; });
}

struct Way {
  const char* name;
  // Writes the plan; its undo, when journaled in `journal`, is run `undo`.
  std::function<void(const std::string& folder, const std::string& journal)> write;
  const char* undo = nullptr;
};

const Way kWays[] = {
    {"atomic",
     [](const std::string&, const std::string& journal) {
       ASSERT_EQ(run_cli(journaled(journal, kPlanned + Args{"--yes"})).exit_code, 0);
     },
     "1"},
    {"apply",
     [](const std::string& folder, const std::string& journal) {
       const std::string plan = folder + "/plan.json";
       ASSERT_EQ(run_cli(kPlanned + Args{"--dry-run", "--plan", plan}).exit_code, 0);
       ASSERT_EQ(run_cli(journaled(journal, {"apply", plan, "--yes"})).exit_code, 0);
     },
     "2"},
    {"preview_write",
     [](const std::string&, const std::string& journal) {
       ProgramState session;
       const app::PreviewOutcome made = preview(session);
       ASSERT_TRUE(made.preview) << made.message;
       app::WindowJournal window_journal(journal);
       const app::PreviewWrite written =
           app::write_preview(*made.preview, session, window_journal, [] { return false; });
       ASSERT_EQ(written.ending, Ending::completed) << written.message;
     },
     "3"},
    {"sql",
     [](const std::string& folder, const std::string&) {
       const std::string script = folder + "/plan.sql";
       ASSERT_EQ(run_cli(kPlanned + Args{"--dry-run", "--sql", script}).exit_code, 0);
       ASSERT_EQ(mariadb(script), 0);
     }},
    {"preview_script",
     [](const std::string& folder, const std::string&) {
       const std::string script = folder + "/preview.sql";
       ProgramState session;
       const app::PreviewOutcome made = preview(session);
       ASSERT_TRUE(made.preview) << made.message;
       ASSERT_EQ(app::save_script(*made.preview, script), "");
       ASSERT_EQ(mariadb(script), 0);
     }},
};

struct NamesRow {
  const char* name;
  std::string sql_mode, names;
  std::string copies;  // id:HEX(name):mincash of each copy, its name the original's and the range
};

class EveryWayOfAPlan : public ::testing::TestWithParam<NamesRow> {
 protected:
  void TearDown() override { set_global_sql_mode(""); }
};

TEST_P(EveryWayOfAPlan, LeavesTheSameTablesWithTheCopiesByteForByte) {
  const std::string folder = VL_JOURNAL_DIR "/plan_outputs_" + std::string(GetParam().name);
  const std::string journal = folder + "/journal.sqlite3";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const NamesRow& row = GetParam();
  set_global_sql_mode(row.sql_mode);
  make_world(row.names);
  const std::string before = world_checksums();
  std::string first;
  for (const Way& way : kWays) {
    SCOPED_TRACE(way.name);
    make_world(row.names);
    way.write(folder, journal);
    EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(id,':',HEX(name),':',mincash ORDER BY id) FROM "
                            "loottable WHERE id>4"),
              row.copies);
    EXPECT_EQ(fixture_value("SELECT GROUP_CONCAT(id,':',loottable_id ORDER BY id) FROM npc_types"),
              kMoved);
    const std::string written = world_checksums();
    if (first.empty()) first = written;
    EXPECT_EQ(written, first);
    if (!way.undo) continue;
    const CliResult undone = run_cli(journaled(journal, {"undo", way.undo, "--yes"}));
    EXPECT_EQ(undone.exit_code, 0) << undone.err;
    EXPECT_EQ(world_checksums(), before);
  }
  std::string runs;  // newest first, each with the same rows
  for (const journal::RunInfo& run :
       journal::Store(journal, journal::Store::Access::read_only).runs())
    runs += run.command + ":" + run.outcome + ":" + std::to_string(run.rows) + " ";
  EXPECT_EQ(runs, "preview:completed:17 apply:completed:17 generate:completed:17 ");
}

// camp\x, q'u"ote and a\0b, each followed by " [lvl_01-10]" in its copy.
// clang-format off
const NamesRow kNames[] = {
  {"backslash_and_quotes", "", "X'63616D705C78',X'712775226F7465'",
   "5:63616D705C78205B6C766C5F30312D31305D:20,6:712775226F7465205B6C766C5F30312D31305D:30"},
  {"backslash_and_quotes_no_backslash_escapes", "STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES",
   "X'63616D705C78',X'712775226F7465'",
   "5:63616D705C78205B6C766C5F30312D31305D:20,6:712775226F7465205B6C766C5F30312D31305D:30"},
  {"nul_no_backslash_escapes", "STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES", "X'610062',X'5C00'",
   "5:610062205B6C766C5F30312D31305D:20,6:5C00205B6C766C5F30312D31305D:30"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Names, EveryWayOfAPlan, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
