// The command line against the test server: exit codes, standard output and
// error, the rows it leaves, what reached the server (its general log), Ctrl+C,
// and the same statements as the window's handler.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "loot/generation_run.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/command_guard.h"
#include "ui/form1_logic.h"

extern char** environ;

namespace vl::test {
namespace {

// The program's journal lives in the build folder, never in the home folder.
const std::string kJournal = VL_JOURNAL_DIR "/cli_journal.sqlite3";
[[maybe_unused]] const int kJournalInEnvironment =
    setenv("VANDRIL_LOOT_JOURNAL", kJournal.c_str(), 1);

using Args = std::vector<std::string>;
using Texts = std::vector<std::string>;

struct CliResult {
  int exit_code = -1;
  std::string out, err;
};

// The program as the operator runs it: in a folder of its own holding db.ini.
class CliProcess {
 public:
  explicit CliProcess(Args args, const std::string& input = "", const std::string& password = "",
                      const std::string& host = "") {
    char folder[] = "/tmp/vandril_cli_XXXXXX";
    dir_ = mkdtemp(folder);
    write_db_ini(dir_ + "/db.ini", password, host);
    std::ofstream(dir_ + "/in", std::ios::binary) << input;
    args.insert(args.begin(), VL_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, (dir_ + "/in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, (dir_ + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, 2, (dir_ + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&files, dir_.c_str());
    EXPECT_EQ(posix_spawn(&pid_, VL_CLI, &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
  }
  ~CliProcess() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    std::filesystem::remove_all(dir_);
  }
  pid_t pid() const { return pid_; }
  CliResult wait() {
    int status = 0;
    waitpid(std::exchange(pid_, -1), &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            read_file(dir_ + "/out"), read_file(dir_ + "/err")};
  }

 private:
  std::string dir_;
  pid_t pid_ = -1;
};

CliResult run_cli(const Args& args, const std::string& input = "",
                  const std::string& password = "") {
  return CliProcess(args, input, password).wait();
}

struct Row {
  const char* name;
  Args args;
  Texts world;  // statements that set up the world
  int exit_code;
  std::string out, err;  // exact; {s} stands for seconds, {server} for the server's prefix,
                         // {seed} for the line of a seed picked by the program
  std::string query = "", rows = "";  // a query on the world afterwards, and its value
  int statements = 0;                 // sent by the program (Query and Execute)
  std::string input = "";
};

// clang-format off
const std::string kArmours = "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10)";
const std::string kNpcs = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77),(2,'n',5,88)";
const std::string kBat = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a bat',5,0)";
const std::string kCustomDrops = "INSERT INTO lootdrop (id,name) VALUES (1,'lvl_11-20_CUSTOM_weapon'),"
    "(2,'lvl_11-20_CUSTOM_weapon'),(3,'lvl_65-99_CUSTOM_Ales/Drinks')";
const std::string kNothing = "npcs=0 walked=0 chosen=0 drops=0 entries=0 seconds={s}\n";
const std::string kTwoDrops = "npcs=2 walked=2 chosen=2 drops=2 entries=";
const std::string kDone = "Completed!\n", kSeed = "{seed}";
const std::string kGen = "generate", kLevels = "--levels", kItems = "--items", kAll = "--npc-percent";

const Row kRows[] = {
  {"generate_quiet_refuses_too_many_items", {"--quiet", kGen, kLevels, "01-10", kItems, "33"}, {kArmours, kNpcs}, 1,
   kNothing, "At most 32 items fit in one drop (33 items per drop asked for).\nNothing was written.\n",
   "SELECT COUNT(*) FROM lootdrop", "0", 1},
  {"generate_clamps_items_to_100", {kGen, kLevels, "01-10", kItems, "150"}, {kArmours}, 1, kNothing,
   "--items 150 is more than 100; 100 items per drop are used.\n" + kSeed +
   "At most 32 items fit in one drop (100 items per drop asked for).\nNothing was written.\n", "", "", 1},
  {"generate_without_candidates", {kGen, kLevels, "01-10", "--category", "WEAPON"}, {kArmours, kNpcs}, 1, kNothing, kSeed +
   "No items match the selected category and rules.\nNothing was written.\n", "", "", 1},
  {"generate_from_list_on_stdin", {kGen, kLevels, "01-10", "--list", "-", kItems, "1", "--category", "ales/drinks",
   kAll, "101"}, {kNpcs}, 0, kTwoDrops + "2 seconds={s}\n",
   "Custom List Created [2 items]\n" + kSeed + "Using Your Custom Item List - [2 items]\n" + kDone,
   "SELECT GROUP_CONCAT(DISTINCT name) FROM lootdrop", "lvl_01-10_CUSTOM_Ales/Drinks", 9, "7\r\n7\n"},
  {"generate_with_rules", {kGen, kLevels, "01-10", "--rules", "id>1001", kItems, "1", kAll, "101"}, {kArmours, kNpcs},
   0, kTwoDrops + "2 seconds={s}\n", kSeed + kDone, "SELECT GROUP_CONCAT(DISTINCT item_id) FROM lootdrop_entries", "1002", 10},
  {"generate_stops_at_a_rejected_entry", {kGen, kLevels, "01-10", kItems, "1", kAll, "101"},
   {"INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)", kNpcs,
    "ALTER TABLE lootdrop_entries ADD disabled_chance FLOAT NOT NULL DEFAULT 0 AFTER chance"}, 3,
   "npcs=2 walked=1 chosen=1 drops=1 entries=0 seconds={s}\n",
   kSeed + "The database rejected a statement, and the command was stopped.\n\n{server}Column count doesn't match value "
   "count at row 1\n\nStatement: INSERT INTO lootdrop_entries values (1,1001,1,1,10,0,127,1)\n"
   "Written before the stop, and staying: 1 lootdrops, 0 lootdrop entries, 0 loottable entries.\n",
   "SELECT COUNT(*) FROM lootdrop", "1", 5},
  {"stats_as_csv", {"stats", "--format", "csv"}, {kCustomDrops}, 0,
   "category,01-10,11-20,21-30,31-40,41-50,51-60,61-99,65-99\narmour,0,0,0,0,0,0,0,0\nweapon,0,2,0,0,0,0,0,0\n"
   "higher lvl misc,0,0,0,0,0,0,0,0\nAll lvl misc,0,0,0,0,0,0,0,0\nshields,0,0,0,0,0,0,0,0\n"
   "General Food Items,0,0,0,0,0,0,0,0\nSpells/Songs,0,0,0,0,0,0,0,0\npotions,0,0,0,0,0,0,0,0\n"
   "Drums/Arrows/Crafted Rings,0,0,0,0,0,0,0,0\nAles/Drinks,0,0,0,0,0,0,0,1\nidols charms trinkets,0,0,0,0,0,0,0,0\n"
   "high level augment items/Solvents,0,0,0,0,0,0,0,0\n", "", "", "", 96},
  {"stats_as_json", {"--quiet", "stats", "--format", "json"}, {kCustomDrops}, 0,
   R"({"ranges":["01-10","11-20","21-30","31-40","41-50","51-60","61-99","65-99"],"categories":["armour","weapon",)"
   R"("higher lvl misc","All lvl misc","shields","General Food Items","Spells/Songs","potions",)"
   R"("Drums/Arrows/Crafted Rings","Ales/Drinks","idols charms trinkets","high level augment items/Solvents"],)"
   R"("counts":[[0,0,0,0,0,0,0,0],[0,2,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],)"
   R"([0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,1],)"
   R"([0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0]]})" "\n", "", "", "", 96},
  {"delete_with_yes", {"delete", kLevels, "01-10", "--yes"},
   {"INSERT INTO lootdrop (id,name) VALUES (5,'lvl_01-10_CUSTOM_armour'),(6,'lvl_11-20_CUSTOM_armour')",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (5,1),(6,1)",
    "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (9,5)"}, 0, "deleted=1\n", "",
   "SELECT CONCAT(COUNT(*),(SELECT COUNT(*) FROM lootdrop_entries),(SELECT COUNT(*) FROM loottable_entries)) "
   "FROM lootdrop", "110", 10},
  {"repair_with_yes", {"repair", "--yes"}, {kBat, "INSERT INTO items (id,name) VALUES (1003,'cloth cap')"}, 0,
   "repaired=1\n", "", "SELECT loottable_id FROM npc_types", "1", 12},
  {"repair_without_cloth_or_rusty", {"--quiet", "repair", "--yes"}, {kBat}, 1, "repaired=0\n",
   "No item whose name starts with cloth or rusty was found, so there is nothing to put into the repair loot. "
   "Nothing was written.\n", "", "", 2},
  {"test_rules_passes", {"test-rules", "--category", "armour", "--rules", "id>1001"}, {kArmours}, 0,
   "Query Passed: 1 items match criteria\n", "", "", "", 1},
  // The server rejects the statement when preparing it: no Execute reaches the log.
  {"test_rules_fails", {"test-rules", "--rules", "nonsense<"}, {}, 1, "",
   "Error in Query - check the field names and syntax\n", "", "", 0},
  {"check_finds_and_compares_layouts", {"check"},
   {kBat, "INSERT INTO lootdrop (id,name) VALUES (4,'lvl_01-10_CUSTOM_armour')",
    "ALTER TABLE lootdrop ADD min_expansion TINYINT NOT NULL DEFAULT -1",
    "ALTER TABLE loottable_entries MODIFY probability FLOAT NOT NULL DEFAULT 100 AFTER mindrop"}, 1,
   "NPCs with loottable 0 (what repair fixes): 1\n  npc 1 a bat\nNPCs whose loottable does not exist: 0\n"
   "loottable entries whose lootdrop does not exist: 0\nlootdrop entries whose lootdrop or item does not exist: 0\n"
   "lootdrops without entries: 1\n  lootdrop 4 lvl_01-10_CUSTOM_armour\ncustom drops that no loottable links: 1\n"
   "  lootdrop 4 lvl_01-10_CUSTOM_armour\nlayout of lootdrop: differs\n  3 columns where the window gives 2 values; "
   "extra: min_expansion: the repair's INSERT INTO LOOTDROP values (2 values) is rejected\n"
   "layout of lootdrop_entries: fits\nlayout of loottable: fits\nlayout of loottable_entries: differs\n"
   "  the value for probability lands silently in droplimit\n  the value for droplimit lands silently in mindrop\n"
   "  the value for mindrop lands silently in probability\n", "", "", "", 13},
  // Bad input: a message naming the valid values, and no connection.
  {"unknown_command", {"frob"}, {}, 64, "",
   "vandril_loot_cli: frob is no command; use one of generate, stats, delete, repair, test-rules, check, history, "
   "show, undo\n"},
  {"unknown_option", {"stats", "--frobnicate"}, {}, 64, "",
   "The following argument was not expected: --frobnicate\nRun with --help for more information.\n"},
  {"unknown_range", {"delete", kLevels, "01-11", "--yes"}, {}, 64, "", "vandril_loot_cli: --levels 01-11 is no "
   "level range; use one of 01-10, 11-20, 21-30, 31-40, 41-50, 51-60, 61-99, 65-99\n"},
  {"unknown_category", {"test-rules", "--category", "Helmets", "--rules", "1"}, {}, 64, "",
   "vandril_loot_cli: --category \"Helmets\" is no loot category; use one of (any case) \"Armour\", \"Weapon\", "
   "\"Higher LVL Misc\", \"All LVL Misc\", \"Shields\", \"General Food Items\", \"Spells/Songs\", \"Potions\", "
   "\"Drums/Arrows/Crafted Rings\", \"Drinks/Ales\", \"idols,charms,trinkets\", \"high level augment "
   "items/Solvents\", \"Ales/Drinks\", \"idols charms trinkets\"\n"},
  {"items_not_a_number", {kGen, kLevels, "01-10", kItems, "abc"}, {}, 64, "",
   "vandril_loot_cli: --items \"abc\" is not a number\n"},
  {"missing_levels", {kGen}, {}, 64, "", "--levels is required\nRun with --help for more information.\n"},
  {"missing_list_file", {kGen, kLevels, "01-10", "--list", "nowhere.txt"}, {}, 64, "",
   "vandril_loot_cli: --list nowhere.txt cannot be read\n"},
  {"rules_with_list", {kGen, kLevels, "01-10", "--list", "-", "--rules", "x"}, {}, 64, "",
   "--list excludes --rules\nRun with --help for more information.\n"},
  {"delete_without_terminal_or_yes", {"delete", kLevels, "01-10"}, {}, 64, "",
   "vandril_loot_cli: without a terminal to ask on, give --yes\n"},
  {"missing_db_ini", {"--config", "nowhere.ini", "stats"}, {}, 2, "", "DB.INI Invalid or Missing\n(read nowhere.ini)\n"},
  // Plans: a dry run reads only; an atomic run writes the plan or nothing.
  // Loottable 77 is shared with NPCs 3..14 outside the range: twelve, ten of them listed.
  {"dry_run_previews_and_writes_nothing", {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "5",
   "--dry-run"}, {kArmours, kNpcs, "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'m',"
   "seq*4,77 FROM seq_3_to_14"}, 0, "Planned drops (lvl_01-10_CUSTOM_armour):\n"
   "NPC 1 n (level 5), loottable 77: lootdrop 1\n  item 1002 i\nNPC 2 n (level 5), loottable 88: lootdrop 2\n"
   "  item 1002 i\nNPCs in the range: 2\nNPCs keeping a loottable (one per loottable): 2\nChosen NPCs: 2\n"
   "Drops: 2\nEntries: 2\nShared loottables: 1\n  loottable 77 is used by 12 NPC(s) outside 01-10, who would "
   "receive the drop too: 3 m (level 12); 4 m (level 16); 5 m (level 20); 6 m (level 24); 7 m (level 28); 8 m "
   "(level 32); 9 m (level 36); 10 m (level 40); 11 m (level 44); 12 m (level 48); ...\nThe lootdrop ids are "
   "planned from the highest id now (none); they will differ if lootdrops are written before the run.\n", "",
   "SELECT COUNT(*) FROM lootdrop", "0", 6},
  {"atomic_writes_the_plan", {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--seed", "5", "--atomic"},
   {kArmours, kNpcs}, 0, kTwoDrops + "4 seconds={s}\n", "", "SELECT COUNT(*) FROM lootdrop_entries", "4", 15},
  {"atomic_rejected_batch_rolls_back", {kGen, kLevels, "01-10", kAll, "101", "--seed", "5", kItems, "1", "--atomic"},
   {kArmours, kNpcs, "CREATE TRIGGER refuse BEFORE INSERT ON loottable_entries FOR EACH ROW SIGNAL SQLSTATE '45000' "
    "SET MESSAGE_TEXT='no links today'"}, 1, "npcs=2 walked=2 chosen=2 drops=0 entries=0 seconds={s}\n",
   "The server rejected a statement; the transaction was rolled back, nothing of the run was written.\n"
   "{server}no links today\nStatement: INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,"
   "probability,droplimit,mindrop) VALUES (77,1,1,50,1,0),(88,2,1,50,1,0)\n", "SELECT COUNT(*) FROM lootdrop", "0", 16},
  {"atomic_refuses_a_table_without_rollback", {kGen, kLevels, "01-10", kItems, "1", "--seed", "5", "--atomic"},
   {kArmours, kNpcs, "ALTER TABLE lootdrop ENGINE=MyISAM"}, 1, "npcs=2 walked=2 chosen=0 drops=0 entries=0 "
   "seconds={s}\n", "Table lootdrop uses the MyISAM engine, which cannot roll back: the run could not be "
   "all or nothing.\nNothing was written.\n", "SELECT COUNT(*) FROM lootdrop", "0", 7},
  {"unwritable_sql_file", {kGen, kLevels, "01-10", "--dry-run", "--sql", "/nowhere/plan.sql"}, {}, 1, "",
   kSeed + "vandril_loot_cli: --sql /nowhere/plan.sql cannot be written; nothing was sent to the server.\n"},
  // A write command refuses without its journal, unless told to write without one.
  {"unwritable_journal", {"--journal", "/dev/null/j", kGen, kLevels, "01-10", kAll, "101"}, {kArmours, kNpcs}, 1, "",
   "vandril_loot_cli: the journal /dev/null/j cannot be opened (unable to open database file); nothing was "
   "written. Give --no-journal to write without one.\n", "SELECT COUNT(*) FROM lootdrop", "0", 0},
  {"no_journal_writes", {"--journal", "/dev/null/j", "--no-journal", kGen, kLevels, "01-10", kAll, "101", kItems, "2"},
   {kArmours, kNpcs}, 0, kTwoDrops + "4 seconds={s}\n", kSeed + kDone, "SELECT COUNT(*) FROM lootdrop", "2", 12},
  {"sql_needs_dry_run", {kGen, kLevels, "01-10", "--sql", "plan.sql"}, {}, 64, "",
   "--sql requires --dry-run\nRun with --help for more information.\n"},
  {"report_needs_csv_or_json", {kGen, kLevels, "01-10", "--report", "drops.txt"}, {}, 64, "",
   "vandril_loot_cli: --report drops.txt needs the extension .csv or .json\n"},
};
// clang-format on

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// What varies between runs, replaced by the placeholders the rows use.
std::string steady(const std::string& text) {
  std::string seconds = std::regex_replace(text, std::regex(R"(seconds=[0-9.]+)"), "seconds={s}");
  seconds = std::regex_replace(seconds, std::regex(R"(seed=[0-9]+\n)"), "{seed}");
  return std::regex_replace(seconds, std::regex(R"(\[ma-[^\n]*\])"), "{server}");
}

class CommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLine, ExitOutputRowsAndStatements) {
  const Row& row = GetParam();
  reset_world();
  for (const std::string& sql : row.world) fixture_sql(sql);
  GeneralLog log;
  const CliResult result = run_cli(row.args, row.input);
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(steady(result.out), row.out);
  EXPECT_EQ(steady(result.err), row.err);
  EXPECT_EQ(row.query.empty() ? "" : fixture_value(row.query), row.rows) << row.query;
  EXPECT_EQ(log.statements().size(), static_cast<std::size_t>(row.statements));
  if (row.exit_code == 64 || row.exit_code == 2) {
    EXPECT_TRUE(log.connections().empty());  // bad input never reaches the server
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineConnection, RefusedLoginEndsWithTheConnectionMessage) {
  const CliResult result = run_cli({"stats"}, "", "wrong_password");
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.err,
            "MYSQL Connection FAILED - Did you remember to:\nEdit db.ini for correct mysql user "
            "data?\nUse 127.0.0.1 IP for minilogin?\nInstall myODBC drivers?\n");
  EXPECT_EQ(result.out, "");
}

// The relay between the program and the server (db.ini's host VL_RELAY_HOST) while it lives.
class Relay {
 public:
  explicit Relay(const std::string& delay_ms, const std::string& cut_on = "") {
    Args args = {VL_RELAY,           "--listen",   VL_RELAY_HOST, "--server",
                 db_settings().host, "--delay-ms", delay_ms};
    if (!cut_on.empty()) args.insert(args.end(), {"--cut-on", cut_on});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, VL_RELAY, nullptr, nullptr, argv.data(), environ), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ~Relay() { kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0); }
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

 private:
  pid_t pid_ = -1;
};

// --atomic losing its connection: in a batch the server rolls back and nothing
// stays (exit 2); during COMMIT all of the run or none of it stays (exit 5).
TEST(AtomicConnectionLost, NothingOrAllOfTheRunStays) {
  const struct {
    const char* cut_on;
    int exit_code;
    std::string message;
  } cases[] = {
      {"INSERT INTO loottable_entries", 2,  // the last batch, small enough to go uncompressed
       "The connection to the server was lost before COMMIT: the server rolls the transaction "
       "back, nothing of the run was written.\n"},
      {"COMMIT", 5,
       "The connection to the server was lost during COMMIT: either all of the run was written or "
       "none of it. To find out, run `vandril_loot_cli check`, or count the run's lootdrops: "
       "SELECT COUNT(*) FROM lootdrop WHERE name = 'lvl_01-10_CUSTOM_armour' (compare with the "
       "count before the run).\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cut_on);
    reset_world();
    fixture_sql(kArmours);
    fixture_sql(kNpcs);
    const CliResult result = [&] {
      const Relay relay("0", c.cut_on);
      return CliProcess({"generate", "--levels", "01-10", "--npc-percent", "101", "--items", "2",
                         "--seed", "3", "--atomic"},
                        "", "", VL_RELAY_HOST)
          .wait();
    }();
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_EQ(result.err.substr(0, c.message.size()), c.message) << result.err;
    const std::string rows = fixture_value(
        "SELECT CONCAT((SELECT COUNT(*) FROM lootdrop),'/',(SELECT COUNT(*) FROM "
        "lootdrop_entries),'/',COUNT(*)) FROM loottable_entries");
    EXPECT_TRUE(rows == "0/0/0" || (c.exit_code == 5 && rows == "2/4/2")) << rows;
  }
}

void a_world() {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',1),(1002,'i',1),(1003,'i',1)");
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (40,'older')");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
      "(1,'a',12,7),(2,'b',15,0),(3,'c',19,8),(4,'d',20,7),(5,'e',33,9)");
}

// "connection index: statement" since the log's mark.
Texts sent_since(const GeneralLog& log) {
  const auto connections = log.connections();
  Texts sent;
  for (const LogEntry& entry : log.statements()) {
    const auto at = std::find(connections.begin(), connections.end(), entry.connection);
    sent.push_back(std::to_string(at - connections.begin()) + ": " + entry.argument);
  }
  return sent;
}

TEST(SameStatements, CommandLineGenerateSendsWhatTheWindowsHandlerSends) {
  a_world();
  GeneralLog window_log;
  {
    ProgramState state;
    RecordingUi ui;
    const std::string ini = "/tmp/vandril_same_statements.ini";
    write_db_ini(ini);
    ASSERT_TRUE(form1::Form_Load(state, ui, ini));
    state.random.pin_seed(99);
    state.form1.select_op(1);
    form1::level_selection_changed(state, 1);
    state.form1.set_text(Form1Control::perc_of_npcs, "101");
    state.form1.set_text(Form1Control::lootdrop_percentx, "12.5");
    state.form1.set_text(Form1Control::loottable_percentx, "40");
    state.form1.set_text(Form1Control::item_max, "3");
    ui::run_command(state, ui, loot::Command2_Click, [](int) { FAIL(); });
    ASSERT_EQ(ui.messages.back(), "Completed!");
  }
  const Texts window = sent_since(window_log);

  a_world();
  GeneralLog cli_log;
  const CliResult result =
      run_cli({"generate", "--levels", "11-20", "--category", "Weapon", "--npc-percent", "101",
               "--chance", "12.5", "--probability", "40", "--items", "3", "--seed", "99"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(sent_since(cli_log), window);
  ASSERT_EQ(window.size(), 14u);  // item and NPC queries, two drops of five statements
  EXPECT_EQ(window[0],
            "0: SELECT id from items WHERE ( itemtype=1 OR itemtype=2 OR itemtype=3 OR "
            "itemtype=4 OR itemtype=5 OR itemtype=45 OR itemtype=7 OR itemtype=0 OR "
            "itemtype=19 OR itemtype=35)");
  EXPECT_EQ(window[13], "4: INSERT INTO loottable_entries values (8,42,1,40,1,0)");
}

// Undo: the world as before the run, or refused with every conflict listed.
struct UndoRow {
  const char* name;
  Texts world;
  Args command;
  std::string between;  // a change after the run, before the undo
  Args undo;
  int exit_code;
  std::string out, err;
  std::string query = "", rows = "";  // checked when the world is not restored
  int undos = 1;                      // the undo given this many times; the last one checked
  std::string host = "";              // of db.ini for the undo
  std::vector<Args> then = {};        // commands after the first one
};

const std::string kChanged =
    "UPDATE lootdrop_entries SET chance=99 WHERE lootdrop_id=2 AND item_id=1002";
const std::string kConflict =
    "conflict: lootdrop_entries (2,1002,1,1,10,0,127,1) is no longer as the run wrote it.\n";
const std::string kEntries = "SELECT COUNT(*) FROM lootdrop_entries";
const std::string kNearly = "UPDATE lootdrop_entries SET chance=",
                  kOfOneEntry = " WHERE lootdrop_id=2 AND item_id=1002";
const Args kGenerate = {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--seed", "5"};
const Args kUndo = {"undo", "1", "--yes"};
// Drops deleted, then others written under their ids: undoing the deletion grafts nothing.
const std::vector<Args> kDeleteAndRegenerate = {
    {"delete", kLevels, "01-10", "--yes"},
    {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--chance", "20"}};
const std::string kTaken =
    "conflict: lootdrop id 1 is taken; lootdrop (1,'lvl_01-10_CUSTOM_armour') cannot be put "
    "back.\nconflict: lootdrop id 2 is taken; lootdrop (2,'lvl_01-10_CUSTOM_armour') cannot be put "
    "back.\n";
const std::string kNewEntries = "SELECT CONCAT(COUNT(*),'/',SUM(chance=20)) FROM lootdrop_entries";

// clang-format off
const UndoRow kUndoRows[] = {
  {"generate", {kArmours, kNpcs}, kGenerate, "", kUndo, 0, "undone=1 statements=3 skipped=0\n", ""},
  {"generate_atomic", {kArmours, kNpcs}, {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--atomic"}, "", kUndo, 0,
   "undone=1 statements=3 skipped=0\n", ""},
  {"delete", {"INSERT INTO lootdrop (id,name) VALUES (5,'lvl_01-10_CUSTOM_armour'),(6,'lvl_11-20_CUSTOM_armour')",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (5,1,12.345678),(6,1,1)",
    "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (9,5)"}, {"delete", kLevels, "01-10", "--yes"},
   "", kUndo, 0, "undone=1 statements=3 skipped=0\n", ""},
  {"repair", {kBat, "INSERT INTO items (id,name) VALUES (1003,'cloth cap')"}, {"repair", "--yes"}, "", kUndo, 0,
   "undone=1 statements=5 skipped=0\n", ""},
  {"changed_row_refused", {kArmours, kNpcs}, kGenerate, kChanged, kUndo, 1, "",
   kConflict + "1 conflicts; nothing was changed (--force skips them).\n", kEntries, "4"},
  // FLOAT values are equal within a millionth of their size.
  {"within_a_millionth_undone", {kArmours, kNpcs}, kGenerate, kNearly + "10.000001" + kOfOneEntry, kUndo, 0,
   "undone=1 statements=3 skipped=0\n", "", kEntries, "0"},
  {"five_millionths_off_refused", {kArmours, kNpcs}, kGenerate, kNearly + "10.00005" + kOfOneEntry, kUndo, 1, "",
   kConflict + "1 conflicts; nothing was changed (--force skips them).\n", kEntries, "4"},
  {"changed_row_forced", {kArmours, kNpcs}, kGenerate, kChanged, {"undo", "1", "--yes", "--force"}, 0,
   "undone=1 statements=4 skipped=1\n", kConflict, kEntries, "1"},
  {"taken_id_refused", {kCustomDrops}, {"delete", kLevels, "11-20", "--yes"},
   "INSERT INTO lootdrop (id,name) VALUES (2,'other')", kUndo, 1, "",
   "conflict: lootdrop id 2 is taken; lootdrop (2,'lvl_11-20_CUSTOM_weapon') cannot be put back.\n"
   "1 conflicts; nothing was changed (--force skips them).\n", "SELECT COUNT(*) FROM lootdrop", "2"},
  {"changed_row_dry_run", {kArmours, kNpcs}, kGenerate, kChanged, {"undo", "1", "--force", "--dry-run"}, 0,
   "DELETE FROM `loottable_entries` WHERE `lootdrop_id` IN (1,2)\n"
   "DELETE FROM `lootdrop_entries` WHERE `lootdrop_id`=2 AND `item_id`=1001 AND `item_charges`=1 AND `equip_item`=1 AND "
   "ABS(`chance`-10)<=1e-06*GREATEST(ABS(`chance`),ABS(10)) AND `minlevel`=0 AND `maxlevel`=127 AND `multiplier`=1 LIMIT 1\n"
   "DELETE FROM `lootdrop_entries` WHERE `lootdrop_id` IN (1)\nDELETE FROM `lootdrop` WHERE `id` IN (1,2)\n",
   kConflict, kEntries, "4"},
  {"undone_twice", {kArmours, kNpcs}, kGenerate, "", kUndo, 1, "",
   "Run 1 cannot be undone: It has been undone already. Nothing was changed.\n", "", "", 2},
  {"other_host", {kArmours, kNpcs}, kGenerate, "", kUndo, 1, "", "Run 1 wrote to database " VL_TEST_DB_NAME " on "
   VL_TEST_DB_HOST ", but db.ini names database " VL_TEST_DB_NAME " on localhost. Nothing was changed.\n",
   kEntries, "4", 1, "localhost"},
  {"delete_of_regenerated_drops_refused", {kArmours, kNpcs}, kGenerate, "", {"undo", "2", "--yes"}, 1, "",
   kTaken + "2 conflicts; nothing was changed (--force skips them).\n", kNewEntries, "4/4", 1, "", kDeleteAndRegenerate},
  {"delete_of_regenerated_drops_forced", {kArmours, kNpcs}, kGenerate, "", {"undo", "2", "--yes", "--force"}, 0,
   "undone=2 statements=0 skipped=2\n", kTaken, kNewEntries, "4/4", 1, "", kDeleteAndRegenerate},
  {"table_without_rollback_refused", {kArmours, kNpcs}, kGenerate, "ALTER TABLE lootdrop_entries ENGINE=MyISAM", kUndo,
   1, "", "Table lootdrop_entries uses the MyISAM engine, which cannot roll back: the undo could not be all or "
   "nothing. Nothing was changed.\n", kEntries, "4"},
};
// clang-format on

void PrintTo(const UndoRow& row, std::ostream* out) { *out << row.name; }

Args journaled(const std::string& journal, Args args) {
  args.insert(args.begin(), {"--journal", journal});
  return args;
}

class Undo : public ::testing::TestWithParam<UndoRow> {};

TEST_P(Undo, RestoresTheWorldOrListsTheConflicts) {
  const UndoRow& row = GetParam();
  const std::string journal = VL_JOURNAL_DIR "/undo_" + std::string(row.name) + ".sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
  reset_world();
  for (const std::string& sql : row.world) fixture_sql(sql);
  const auto before = world_checksums();
  ASSERT_EQ(run_cli(journaled(journal, row.command)).exit_code, 0);
  for (const Args& command : row.then) ASSERT_EQ(run_cli(journaled(journal, command)).exit_code, 0);
  if (!row.between.empty()) fixture_sql(row.between);
  CliResult result;
  for (int undo = 0; undo < row.undos; ++undo)
    result = CliProcess(journaled(journal, row.undo), "", "", row.host).wait();
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(result.out, row.out);
  EXPECT_EQ(result.err, row.err);
  if (row.query.empty()) {
    EXPECT_EQ(world_checksums(), before);
  } else {
    EXPECT_EQ(fixture_value(row.query), row.rows);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Undo, ::testing::ValuesIn(kUndoRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Undo over a slow link, with Ctrl+C or a change to the world once the server
// has seen `seen`: all of it or nothing, and what it checked is what it undoes.
struct SlowUndoRow {
  const char* name;
  std::string seen, change;  // change: SQL on the world, or "" for Ctrl+C
  int exit_code;
  std::string out, err, query, rows, outcome;  // outcome: of the run, as history shows it
};

const std::string kEntryRead = "FROM `lootdrop_entries` WHERE `lootdrop_id` IN (1,2)";

// clang-format off
const SlowUndoRow kSlowUndoRows[] = {
  {"ctrl_c_in_its_transaction", "DELETE FROM `loottable_entries`", "", 130, "",
   "Stopped by Ctrl+C: the undo was rolled back; nothing was changed.\n", kEntries, "4", "completed"},
  {"ctrl_c_after_commit", "COMMIT", "", 0, "undone=1 statements=3 skipped=0\n", "", kEntries, "0", "completed, undone"},
  {"entry_added_after_the_check", kEntryRead, "INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (1,1003)", 0,
   "undone=1 statements=5 skipped=0\n", "", "SELECT GROUP_CONCAT(lootdrop_id,':',item_id) FROM lootdrop_entries",
   "1:1003", "completed, undone"},
  {"entry_changed_after_the_check", kEntryRead, kChanged, 1, "",
   kConflict + "The world changed while undo waited; nothing was changed.\n", kEntries, "4", "completed"},
};
// clang-format on

void PrintTo(const SlowUndoRow& row, std::ostream* out) { *out << row.name; }

class SlowUndo : public ::testing::TestWithParam<SlowUndoRow> {};

TEST_P(SlowUndo, HoldsWhatItCheckedAndEndsWhole) {
  const SlowUndoRow& row = GetParam();
  const std::string journal = VL_JOURNAL_DIR "/slow_undo_" + std::string(row.name) + ".sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  {
    const Relay relay("0");
    ASSERT_EQ(CliProcess(journaled(journal, kGenerate), "", "", VL_RELAY_HOST).wait().exit_code, 0);
  }
  const Relay relay("50");
  GeneralLog log;
  CliProcess undo(journaled(journal, kUndo), "", "", VL_RELAY_HOST);
  const auto seen = [&] {
    const auto sent = log.statement_texts();
    return std::any_of(sent.begin(), sent.end(),
                       [&](const std::string& sql) { return sql.find(row.seen) != sql.npos; });
  };
  for (int wait = 0; !seen(); ++wait) {
    ASSERT_LT(wait, 20000) << "never seen: " << row.seen;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (row.change.empty()) kill(undo.pid(), SIGINT);
  if (!row.change.empty()) fixture_sql(row.change);
  const CliResult result = undo.wait();
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(result.out, row.out);
  EXPECT_EQ(result.err, row.err);
  EXPECT_EQ(fixture_value(row.query), row.rows);
  const CliResult history = run_cli(journaled(journal, {"history", "--format", "json"}));
  EXPECT_NE(history.out.find(R"("outcome":")" + row.outcome + "\""), std::string::npos)
      << history.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, SlowUndo, ::testing::ValuesIn(kSlowUndoRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A run stopped by Ctrl+C says what it wrote; one killed leaves an unfinished
// run in the journal. Both are undone whole.
TEST(InterruptedRuns, CtrlCReportsWhatStaysAndAKilledRunIsUndoneWhole) {
  const std::string journal = VL_JOURNAL_DIR "/undo_killed.sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq FROM "
      "seq_1_to_20000");
  const auto before = world_checksums();
  for (const int signal : {SIGINT, SIGKILL}) {
    SCOPED_TRACE(signal);
    CliProcess run(journaled(journal, {kGen, kLevels, "01-10", kItems, "1", kAll, "101"}));
    while (std::stoi(fixture_value("SELECT COUNT(*) FROM loottable_entries")) < 5)
      std::this_thread::yield();
    // Stopped, it still holds its run: undo refuses it, history and show still read.
    const std::string id = signal == SIGINT ? "1" : "2";
    kill(run.pid(), SIGSTOP);
    const CliResult refused = run_cli(journaled(journal, {"undo", id, "--yes"}));
    EXPECT_EQ(
        std::pair(refused.exit_code, refused.err),
        std::pair(1, "Run " + id + " is still being written (process " + std::to_string(run.pid()) +
                         "); undo it after it ends. Nothing was changed.\n"));
    const CliResult listed = run_cli(journaled(journal, {"history", "--format", "json"}));
    EXPECT_NE(listed.out.find(R"("outcome":"running")"), std::string::npos) << listed.out;
    EXPECT_EQ(run_cli(journaled(journal, {"show", id})).exit_code, 0);
    kill(run.pid(), signal);
    kill(run.pid(), SIGCONT);
    const CliResult result = run.wait();
    EXPECT_EQ(result.exit_code, signal == SIGINT ? 130 : 128 + SIGKILL);
    if (signal == SIGINT) {
      std::smatch found;
      ASSERT_TRUE(std::regex_match(
          result.out, found,
          std::regex(R"(npcs=20000 walked=(\d+) chosen=\1 drops=\1 entries=\1 seconds=[0-9.]+\n)")))
          << result.out;
      const std::string n = found[1];
      EXPECT_EQ(fixture_value("SELECT CONCAT(COUNT(*),'/',(SELECT COUNT(*) FROM "
                              "loottable_entries)) FROM lootdrop"),
                n + "/" + n);
      EXPECT_EQ(steady(result.err), kSeed + "Stopped by Ctrl+C before NPC " +
                                        std::to_string(std::stoi(n) + 1) + " of 20000: " + n +
                                        " custom loot drops with " + n +
                                        " entries were written and stay.\n");
    } else {
      const CliResult history = run_cli(journaled(journal, {"history", "--format", "json"}));
      EXPECT_NE(history.out.find(R"("outcome":"unfinished")"), std::string::npos) << history.out;
    }
    const CliResult undo = run_cli(journaled(journal, {"undo", id, "--yes"}));
    EXPECT_EQ(undo.exit_code, 0) << undo.err;
    EXPECT_EQ(world_checksums(), before);
  }
}

// A delete stopped by Ctrl+C once its drops are gone: they surely went, so
// drops written under their ids since are conflicts, never taken for them.
TEST(InterruptedRuns, DropsOfAStoppedDeleteAreSurelyGone) {
  const std::string journal = VL_JOURNAL_DIR "/undo_stopped_delete.sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  fixture_sql(
      "INSERT INTO lootdrop (id,name) SELECT seq,'lvl_01-10_CUSTOM_armour' FROM seq_1_to_3000");
  fixture_sql(
      "INSERT INTO lootdrop_entries (lootdrop_id,item_id) SELECT seq,1001 FROM seq_1_to_3000");
  CliProcess run(journaled(journal, {"delete", kLevels, "01-10", "--yes"}));
  while (fixture_value("SELECT COUNT(*) FROM lootdrop") != "0") std::this_thread::yield();
  kill(run.pid(), SIGINT);
  ASSERT_EQ(run.wait().exit_code, 130);
  ASSERT_EQ(run_cli(journaled(journal, kGenerate)).exit_code, 0);
  const CliResult undo = run_cli(journaled(journal, kUndo));
  EXPECT_EQ(undo.exit_code, 1);
  EXPECT_EQ(undo.err, kTaken + "2 conflicts; nothing was changed (--force skips them).\n");
}

}  // namespace
}  // namespace vl::test
