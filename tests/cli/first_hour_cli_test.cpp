// What a newcomer meets in the first hour on the command line: each mistake
// answered with one line that names the cause and what to do, and the exit
// code a script can test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_process.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

const std::string kFolder = VL_JOURNAL_DIR "/first_hour";
const std::string kHost = VL_TEST_DB_HOST;

struct FirstLineRow {
  const char* name;
  Args args;
  int exit_code;
  std::string first_line;   // of standard error, or of standard output when the run succeeds
  std::string db_ini = "";  // a db.ini of the row's own, given with --config; "": the test server's
  Texts world = {};         // rows put into the emptied world first
  std::string file = "";    // written to kFolder/NAME.json first, when not empty
};

// An orc whose one drop gives item 1001 every other kill; a bat without loot.
const Texts kHalfWorld = {
    "INSERT INTO items (id,name) VALUES (1001,'a')",
    "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'orc',10,1),(2,'bat',10,0)",
    "INSERT INTO loottable (id) VALUES (1)",
    "INSERT INTO lootdrop (id) VALUES (1)",
    "INSERT INTO loottable_entries VALUES (1,1,1,100,1,0)",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (1,1001,50)"};

void PrintTo(const FirstLineRow& row, std::ostream* out) { *out << row.name; }

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

class FirstLine : public ::testing::TestWithParam<FirstLineRow> {};

TEST_P(FirstLine, SaysTheCauseAndTheNextStep) {
  const FirstLineRow& row = GetParam();
  Args args = row.args;
  if (!row.db_ini.empty()) {
    std::filesystem::create_directories(kFolder);
    const std::string ini = kFolder + "/" + row.name + ".ini";
    std::ofstream(ini) << row.db_ini;
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    args.insert(args.begin(), {"--config", ini});
  }
  if (!row.file.empty()) {
    std::filesystem::create_directories(kFolder);
    std::ofstream(kFolder + "/" + row.name + ".json") << row.file;
  }
  reset_world();
  for (const std::string& sql : row.world) fixture_sql(sql);
  const CliResult result = run_cli(args);
  EXPECT_EQ(result.exit_code, row.exit_code) << result.err;
  EXPECT_EQ(first_line(row.exit_code == 0 ? result.out : result.err), row.first_line) << result.err;
}

// clang-format off
const FirstLineRow kRows[] = {
  // Connection failures, told apart by the server's error number.
  {"nobody_listens", {"--port", "3308", "stats"}, 2,
   "vandril_loot_cli: could not connect: is the server running and listening on " + kHost + ":3308?"},
  {"wrong_password", {"stats"}, 2,
   "vandril_loot_cli: the server refused the login of vandril: check user= and password= in " + kFolder +
   "/wrong_password.ini", "host=" + kHost + "\nuser=vandril\npassword=not_the_password\ndatabase=world\n"},
  {"unknown_database", {"stats"}, 2,
   "vandril_loot_cli: the server lets vandril use no database nowhere: check database= in " + kFolder + "/unknown_database.ini",
   "host=" + kHost + "\nuser=vandril\npassword=" + db_settings().password + "\ndatabase=nowhere\n"},
  {"missing_db_ini", {"--config", "nowhere.ini", "stats"}, 2,
   "vandril_loot_cli: no db.ini found; tried, in this order:"},
  // Parser messages in the program's voice, with what the option means and what to do.
  {"run_not_a_number", {"show", "abc"}, 64, "vandril_loot_cli: show abc: RUN must be a whole number, the run's id "
   "(see history); see vandril_loot_cli help show"},
  {"plan_without_dry_run", {"generate", "--levels", "01-10", "--plan", "plan.json"}, 64, "vandril_loot_cli: --plan "
   "works only with --dry-run: add --dry-run, or leave --plan out; see vandril_loot_cli help generate"},
  {"format_not_printed", {"categories", "--format", "csv"}, 64, "vandril_loot_cli: --format csv: categories prints "
   "table or json; give one of them"},
  {"format_of_three", {"stats", "--format", "xml"}, 64, "vandril_loot_cli: --format xml: stats prints table, csv or "
   "json; give one of them"},
  {"undo_without_run", {"undo"}, 64, "vandril_loot_cli: undo needs RUN: the run's id (see history); see "
   "vandril_loot_cli help undo"},
  // Level ranges typed without their leading zero; a category with a did-you-mean.
  {"levels_without_zero", {"delete", "--levels", "1-10", "--dry-run"}, 0, "Lootdrops whose name matches lvl_01-10% "
   "('_' matching any character), custom or not: 0"},
  {"levels_not_a_range", {"delete", "--levels", "1-11", "--dry-run"}, 64, "vandril_loot_cli: --levels 1-11 is no "
   "level range; use one of 01-10, 11-20, 21-30, 31-40, 41-50, 51-60, 61-99, 65-99"},
  {"category_plural", {"test-rules", "--category", "weapons", "--rules", "1"}, 64, "vandril_loot_cli: --category "
   "\"weapons\" is no loot category (did you mean weapon?); use one of (any case) \"Armour\", \"Weapon\", \"Higher "
   "LVL Misc\", \"All LVL Misc\", \"Shields\", \"General Food Items\", \"Spells/Songs\", \"Potions\", "
   "\"Drums/Arrows/Crafted Rings\", \"Drinks/Ales\", \"idols,charms,trinkets\", \"high level augment items/Solvents\", "
   "\"Ales/Drinks\", \"idols charms trinkets\""},
  // --format json honoured by every dry run that takes it: one JSON document.
  {"delete_dry_run_json", {"delete", "--levels", "01-10", "--dry-run", "--format", "json"}, 0,
   R"({"range":"01-10","lootdrops":0,"lootdrop_entries":0,"loottable_entries":0,"names":[],"changed":false})"},
  {"repair_dry_run_json", {"repair", "--dry-run", "--format", "json"}, 0,
   R"({"npcs_without_loottable":0,"examples":[],"repair_items":0,"changed":false})"},
  // simulate: a summary after the figures, or alone; JSON on one line.
  {"simulate_summary", {"simulate", "--npc", "1,2", "--summary"}, 0, "NPCs: 2; chance of anything per kill: mean 25 %, "
   "lowest 0 %, highest 50 %", "", kHalfWorld},
  {"simulate_summary_json", {"simulate", "--npc", "1,2", "--summary", "--format", "json"}, 0,
   R"({"npcs":2,"mean_p_any":0.25,"lowest_p_any":0,"highest_p_any":0.5})", "", kHalfWorld},
  {"simulate_summary_csv", {"simulate", "--npc", "1,2", "--summary", "--format", "csv"}, 0,
   "npcs,mean_p_any,lowest_p_any,highest_p_any", "", kHalfWorld},
  {"simulate_json_one_line", {"simulate", "--npc", "1,2", "--format", "json"}, 0, R"([{"npc_id":1,"npc_name":"orc",)"
   R"("npc_level":10,"loottable_id":1,"p_any":0.5,"expected_items":0.5,"items":[{"item_id":1001,"item_name":"a",)"
   R"("expected":0.5}]},{"npc_id":2,"npc_name":"bat","npc_level":10,"loottable_id":0,"p_any":0,"expected_items":0,)"
   R"("items":[]}])", "", kHalfWorld},
  // apply of a file that is no plan: how to make one.
  {"apply_not_a_plan", {"apply", kFolder + "/apply_not_a_plan.json", "--yes"}, 1, "vandril_loot_cli: the plan " +
   kFolder + "/apply_not_a_plan.json cannot be applied: it is no plan file of vandril_loot_cli; make one with "
   "`generate --dry-run --plan FILE.json`. Nothing was written.", "", {}, R"({"npcs":2,"drops":[]})"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Commands, FirstLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Without --config: every place looked in, in order, and how to name another.
TEST(MissingDbIni, ListsEveryPlaceTriedAndSuggestsConfig) {
  const std::string home = kFolder + "/home";
  std::filesystem::create_directories(home);
  const auto [code, out, err] =
      run_shell("cd '" + home + "' && env -u VANDRIL_LOOT_HOME XDG_CONFIG_HOME='" + home +
                "/config' '" VL_CLI "' stats");
  EXPECT_EQ(code, 2);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err,
            "vandril_loot_cli: no db.ini found; tried, in this order:\n  db.ini\n  " + home +
                "/config/vandril_loot/db.ini\ngive the file with --config FILE, or put one in the "
                "first place above\n");
}

// The help says what an option needs in its own description only, and its
// examples run as they are printed.
TEST(Help, OptionLinesAndExamplesReadAsTheyAreMeant) {
  const CliResult result = run_cli({"help", "generate"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out.find("Needs:"), std::string::npos);
  EXPECT_EQ(result.out.find("Excludes:"), std::string::npos);
  EXPECT_NE(
      result.out.find(
          "\n  --sql FILE                  with --dry-run: the plan as a script for mariadb\n"),
      std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n  --rules TEXT                item conditions, as the Rules window "
                            "(not with --list)\n"),
            std::string::npos);
  EXPECT_NE(result.out.find(
                "\n  cut -f1 ids.txt | vandril_loot_cli generate --levels 61-99 --list - --yes\n"),
            std::string::npos);
}

// show names each row's columns; undo of a run whose rows a later delete took
// shows the first ten conflicts, how many more there are in each table, and
// the run to undo first.
TEST(JournalRuns, ShowNamesColumnsAndUndoSummarisesConflicts) {
  const std::string journal = fresh_journal("first_hour");
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq+100 FROM "
      "seq_1_to_12");
  ASSERT_EQ(run_cli(journaled(journal, {"generate", "--levels", "01-10", "--npc-percent", "101",
                                        "--items", "1", "--seed", "3", "--yes"}))
                .exit_code,
            0);
  const CliResult shown = run_cli(journaled(journal, {"show", "1"}));
  EXPECT_NE(shown.out.find("\ninserted lootdrop_entries (lootdrop_id=1, item_id=1001, "),
            std::string::npos)
      << shown.out;
  ASSERT_EQ(run_cli(journaled(journal, {"delete", "--levels", "01-10", "--yes"})).exit_code, 0);
  const CliResult undo = run_cli(journaled(journal, {"undo", "1", "--yes"}));
  EXPECT_EQ(undo.exit_code, 1);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < undo.err.size();) {
    const std::size_t end = undo.err.find('\n', at);
    lines.push_back(undo.err.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), 13u) << undo.err;
  for (std::size_t i = 0; i < 10; ++i) EXPECT_TRUE(lines[i].starts_with("conflict: ")) << lines[i];
  EXPECT_EQ(lines[10],
            "... and 26 more conflicts (lootdrop 12, lootdrop_entries 12, loottable_entries 12)");
  EXPECT_EQ(lines[11], "run 2 deleted these; undo run 2 first.");
  EXPECT_EQ(lines[12], "36 conflicts; nothing was changed (--force skips them).");
}

}  // namespace
}  // namespace vl::test
