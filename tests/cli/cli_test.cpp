// The command line against the test server: exit codes, standard output and
// error, the rows it leaves, what reached the server (its general log), Ctrl+C,
// and the same statements as the window's handler.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include <sqlite3.h>

#include <nlohmann/json.hpp>

#include "app/window/command_guard.h"
#include "app/window/form1_logic.h"
#include "app/window/generation_run.h"
#include "journal/run_settings.h"
#include "journal/store.h"
#include "support/cli_process.h"
#include "support/recording_ui.h"
#include "support/relay.h"
#include "support/scenario.h"
#include "support/simulate_texts.h"
#include "support/test_db.h"
#include "world/extended_layout.h"

namespace vl::test {
namespace {

// The program's journal lives in the build folder, never in the home folder.
const std::string kJournal = VL_JOURNAL_DIR "/cli_journal.sqlite3";
[[maybe_unused]] const int kJournalInEnvironment =
    setenv("VANDRIL_LOOT_JOURNAL", kJournal.c_str(), 1);

using Texts = std::vector<std::string>;

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
  // Journaled in a journal of its own, made first with these SQLite statements,
  // keeping these settings for the run (each checked when given).
  std::string journal = "", settings = "";
};

// clang-format off
const std::string kArmours = "INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'i',10)";
const std::string kNpcs = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77),(2,'n',5,88)";
const std::string kOneNpc = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'n',5,77)";
const std::string kBat = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a bat',5,0)";
const std::string kCustomDrops = "INSERT INTO lootdrop (id,name) VALUES (1,'lvl_11-20_CUSTOM_weapon'),"
    "(2,'lvl_11-20_CUSTOM_weapon'),(3,'lvl_65-99_CUSTOM_Ales/Drinks')";
const std::string kOddName = "ALTER TABLE npc_types MODIFY name VARBINARY(64) NOT NULL";
const std::string kOddNpc = "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,X'611B5B324AFF',5,0)";
const std::string kCleanChecks = "NPCs whose loottable does not exist: 0\nloottable entries whose lootdrop does "
    "not exist: 0\nlootdrop entries whose lootdrop or item does not exist: 0\nlootdrops without entries: 0\n"
    "custom drops that no loottable links: 0\n";
const std::string kNothing = "npcs=0 walked=0 chosen=0 drops=0 entries=0 seconds={s}\n";
const std::string kTwoDrops = "npcs=2 walked=2 chosen=2 drops=2 entries=";
// The per-hour line of a plan over empty spawn tables.
const std::string kNoSpawns =
    "Items per hour from the new drops: at most 0.00 (every NPC killed the moment it spawns, one "
    "instance of each zone, conditional spawn points left out)\n";
const std::string kDone = "Completed!\n", kSeed = "{seed}";
std::string refused_login(const std::string& ini) {
  return "vandril_loot_cli: the server refused the login of vandril: check user= and password= in " + ini + "\n";
}
const std::string kGen = "generate", kLevels = "--levels", kItems = "--items", kAll = "--npc-percent";
const std::string kWin = "--window-way", kYes = "--yes";
// Loottable 1 is used inside 01-10 only, 2 across its border (NPCs 3 and 4), 3 by NPCs of 01-10, 11-20 and
// 21-30, 4 outside only; NPC 9 has none.
const Texts kSharedWorld = {kArmours,
  "INSERT INTO loottable (id,name,mincash) VALUES (1,'lt1',10),(2,'lt2',20),(3,'lt3',30),(4,'lt4',40)",
  "INSERT INTO lootdrop (id,name) VALUES (11,'old'),(12,'old'),(13,'old')",
  "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (11,1001,5),(12,1002,6),(13,1001,7)",
  "INSERT INTO loottable_entries VALUES (1,11,1,100,1,0),(2,11,1,90,1,0),(3,12,2,50,1,0),(3,13,1,25,0,1),"
  "(4,13,1,10,1,0)",
  "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',3,1),(2,'b',5,1),(3,'c',4,2),(4,'d',15,2),"
  "(5,'e',10,3),(6,'f',11,3),(7,'g',30,3),(8,'h',2,3),(9,'i',7,0),(10,'k',40,4)"};
const Args kIsolate = {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "3", "--isolate-shared"};
// The window's default drop (probability 50, droplimit 1, five items at chance 10) in loottable 1, for
// NPC 1 at level 10 and 4 at 50; NPC 2 has no loottable, NPC 3's loottable 9 has entries but no row.
const Texts kDropWorld = {
  "INSERT INTO items (id,name) VALUES (1001,'a'),(1002,'b'),(1003,'c'),(1004,'d'),(1005,'e')",
  "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'orc',10,1),(2,'bat',10,0),(3,'rat',9,9),"
  "(4,'imp',50,1)", "INSERT INTO loottable (id) VALUES (1)", "INSERT INTO lootdrop (id) VALUES (1)",
  "INSERT INTO loottable_entries VALUES (1,1,1,50,1,0),(9,1,1,100,1,0)",
  "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) SELECT 1,seq,10 FROM seq_1001_to_1005"};

const Row kRows[] = {
  // Each number is checked against its range as the window's box takes it, before any connection.
  {"items_above_32", {"--quiet", kGen, kLevels, "01-10", kItems, "33"}, {}, 64, "",
   "vandril_loot_cli: --items \"33\" is not a number from 1 to 32 (a drop holds at most 32 items)\n"},
  {"items_rounded_to_33", {kGen, kLevels, "01-10", kItems, "32.6"}, {}, 64, "",
   "vandril_loot_cli: --items \"32.6\" is not a number from 1 to 32 (a drop holds at most 32 items)\n"},
  {"npc_percent_above_101", {kGen, kLevels, "01-10", kAll, "102"}, {}, 64, "",
   "vandril_loot_cli: --npc-percent \"102\" is not a number from 0 to 101 (101 chooses every NPC)\n"},
  {"chance_above_100", {kGen, kLevels, "01-10", "--chance", "101"}, {}, 64, "",
   "vandril_loot_cli: --chance \"101\" is not a number from 0 to 100\n"},
  {"probability_below_0", {kGen, kLevels, "01-10", "--probability", "-0.5"}, {}, 64, "",
   "vandril_loot_cli: --probability \"-0.5\" is not a number from 0 to 100\n"},
  // Percentages rounded down (101.9 chooses every NPC), items per drop to the nearest, halves to even.
  {"decimals_as_the_window_takes_them", {"--no-journal", kGen, kWin, kYes, kLevels, "01-10", kAll, "101.9", kItems, "1.5",
   "--chance", "100.7", "--probability", "0.5"}, {kArmours, kNpcs}, 0, kTwoDrops + "4 seconds={s}\n", kSeed + kDone,
   "SELECT CONCAT(MIN(chance),'/',(SELECT MAX(probability) FROM loottable_entries)) FROM lootdrop_entries", "100/0",
   12},
  {"generate_without_candidates", {kGen, kWin, kYes, kLevels, "01-10", "--category", "WEAPON"}, {kArmours, kNpcs}, 1, kNothing, kSeed +
   "No items match the selected category and rules.\nNothing was written.\n", "", "", 1},
  {"generate_from_list_on_stdin", {kGen, kWin, kYes, kLevels, "01-10", "--list", "-", kItems, "1", "--category", "ales/drinks",
   kAll, "101", "--seed", "4"}, {kNpcs}, 0, kTwoDrops + "2 seconds={s}\n",
   "Custom List Created [2 items]\nUsing Your Custom Item List - [2 items]\n" + kDone,
   "SELECT GROUP_CONCAT(DISTINCT name) FROM lootdrop", "lvl_01-10_CUSTOM_Ales/Drinks", 9, "7\r\n7\n", "",
   "levels 01-10, category Ales/Drinks, custom list of 2 items, npc percent 101, chance 10, probability 50, "
   "items 1, seed 4"},
  // Before drop 2 the journal takes no more rows: its statements are not sent.
  {"journal_fails_mid_run", {kGen, kWin, kYes, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4"}, {kArmours, kNpcs}, 3,
   "npcs=2 walked=2 chosen=2 drops=1 entries=1 seconds={s}\n", "The journal " VL_JOURNAL_DIR "/cli_row_journal_"
   "fails_mid_run.sqlite3 could not be written (disk full): the statement was not sent and the run stopped. What "
   "was written before is in the journal.\nWritten before the stop, and staying: 1 lootdrops, 1 lootdrop entries, "
   "1 loottable entries.\n", "SELECT COUNT(*) FROM lootdrop", "1", 7, "",
   "CREATE TRIGGER full AFTER INSERT ON rows WHEN NEW.id > 3 BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
  {"generate_with_rules", {kGen, kWin, kYes, kLevels, "01-10", "--rules", "id>1001", kItems, "1", kAll, "101"}, {kArmours, kNpcs},
   0, kTwoDrops + "2 seconds={s}\n", kSeed + kDone, "SELECT GROUP_CONCAT(DISTINCT item_id) FROM lootdrop_entries", "1002", 10},
  {"generate_stops_at_a_rejected_entry", {kGen, kWin, kYes, kLevels, "01-10", kItems, "1", kAll, "101"},
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
  // Names are data: control characters shown escaped, bytes that are no UTF-8 replaced in JSON.
  {"check_escapes_control_characters", {"check"}, {kOddName, kOddNpc}, 1, "NPCs with loottable 0 (what repair "
   "fixes): 1\n  npc 1 a\\x1B[2J\xFF\n" + kCleanChecks + "layout of lootdrop: fits\nlayout of lootdrop_entries: fits\n"
   "layout of loottable: fits\nlayout of loottable_entries: fits\n", "", "", "", 13},
  {"check_json_replaces_bytes_no_utf8", {"check", "--format", "json"}, {kOddName, kOddNpc}, 1,
   R"j({"findings":[{"count":1,"examples":["npc 1 a\u001b[2J)j" "\xEF\xBF\xBD" R"j("],"finding":"NPCs with )j"
   R"j(loottable 0 (what repair fixes)"},{"count":0,"examples":[],"finding":"NPCs whose loottable does not exist"},)j"
   R"j({"count":0,"examples":[],"finding":"loottable entries whose lootdrop does not exist"},{"count":0,"examples":)j"
   R"j([],"finding":"lootdrop entries whose lootdrop or item does not exist"},{"count":0,"examples":[],"finding":)j"
   R"j("lootdrops without entries"},{"count":0,"examples":[],"finding":"custom drops that no loottable links"}],)j"
   R"j("layouts":[{"differences":[],"fits":true,"table":"lootdrop"},{"differences":[],"fits":true,"table":)j"
   R"j("lootdrop_entries"},{"differences":[],"fits":true,"table":"loottable"},{"differences":[],"fits":true,)j"
   R"j("table":"loottable_entries"}]})j" "\n", "vandril_loot_cli: some names are no valid UTF-8; their bad bytes "
   "are shown as U+FFFD in the JSON.\n", "", "", 13},
  // Bad input: a message naming the valid values, and no connection.
  {"unknown_command", {"frob"}, {}, 64, "",
   "vandril_loot_cli: frob is no command; use one of generate, delete, repair, apply, stats, test-rules, check, categories, "
   "simulate, history, show, undo\n"},
  {"command_never_abbreviated", {"--quiet", "gen", kLevels, "01-10"}, {}, 64, "", "vandril_loot_cli: gen is no "
   "command (did you mean generate?); use one of generate, delete, repair, apply, stats, test-rules, check, categories, "
   "simulate, history, show, undo\n"},
  {"unknown_option_near_one", {kGen, "--levl", "01-10"}, {}, 64, "",
   "vandril_loot_cli: --levl is no option of generate (did you mean --levels?); see vandril_loot_cli help generate\n"},
  // The categories and ranges, from the window's own table: neither db.ini nor a server.
  {"categories", {"--config", "nowhere.ini", "categories"}, {}, 0,
   "category (--category)              drop-name word                     item types\n"
   "Armour                             armour                             10\n"
   "Weapon                             weapon                             1,2,3,4,5,45,7,0,19,35\n"
   "Higher LVL Misc                    higher lvl misc                    11,17,19,31,32,33,34\n"
   "All LVL Misc                       All lvl misc                       0,40,42,36,37,39,52\n"
   "Shields                            shields                            8\n"
   "General Food Items                 General Food Items                 14,15\n"
   "Spells/Songs                       Spells/Songs                       20\n"
   "Potions                            Potions                            21\n"
   "Drums/Arrows/Crafted Rings         Drums/Arrows/Crafted Rings         26,27,29\n"
   "Drinks/Ales                        Ales/Drinks                        37\n"
   "idols,charms,trinkets              idols charms trinkets              52\n"
   "high level augment items/Solvents  high level augment items/Solvents  54,55\n\n"
   "level range (--levels)  levels\n01-10                   1 to 10\n11-20                   11 to 20\n"
   "21-30                   21 to 30\n31-40                   31 to 40\n41-50                   41 to 50\n"
   "51-60                   51 to 60\n61-99                   61 to 99\n65-99                   65 to 99\n", ""},
  {"categories_json", {"--format", "json", "categories"}, {}, 0,
   R"j({"categories":[{"caption":"Armour","drop_name_word":"armour","itemtypes":[10]},{"caption":"Weapon",)j"
   R"j("drop_name_word":"weapon","itemtypes":[1,2,3,4,5,45,7,0,19,35]},{"caption":"Higher LVL Misc",)j"
   R"j("drop_name_word":"higher lvl misc","itemtypes":[11,17,19,31,32,33,34]},{"caption":"All LVL Misc",)j"
   R"j("drop_name_word":"All lvl misc","itemtypes":[0,40,42,36,37,39,52]},{"caption":"Shields","drop_name_word":)j"
   R"j("shields","itemtypes":[8]},{"caption":"General Food Items","drop_name_word":"General Food Items",)j"
   R"j("itemtypes":[14,15]},{"caption":"Spells/Songs","drop_name_word":"Spells/Songs","itemtypes":[20]},)j"
   R"j({"caption":"Potions","drop_name_word":"Potions","itemtypes":[21]},{"caption":"Drums/Arrows/Crafted Rings",)j"
   R"j("drop_name_word":"Drums/Arrows/Crafted Rings","itemtypes":[26,27,29]},{"caption":"Drinks/Ales",)j"
   R"j("drop_name_word":"Ales/Drinks","itemtypes":[37]},{"caption":"idols,charms,trinkets","drop_name_word":)j"
   R"j("idols charms trinkets","itemtypes":[52]},{"caption":"high level augment items/Solvents",)j"
   R"j("drop_name_word":"high level augment items/Solvents","itemtypes":[54,55]}],"level_ranges":[{"range":)j"
   R"j("01-10","low":1,"high":10},{"range":"11-20","low":11,"high":20},{"range":"21-30","low":21,"high":30},)j"
   R"j({"range":"31-40","low":31,"high":40},{"range":"41-50","low":41,"high":50},{"range":"51-60","low":51,)j"
   R"j("high":60},{"range":"61-99","low":61,"high":99},{"range":"65-99","low":65,"high":99}]})j" "\n", ""},
  {"help_of_a_command", {"help", "categories"}, {}, 0, "the loot categories and level ranges (no server needed)\n"
   "Usage: vandril_loot_cli categories [OPTIONS]\n\nOptions:\n  -h,--help                   Print this help message and "
   "exit\n  --format table|json         table (default) or json (one JSON document on stdout)\n\nExamples:\n"
   "  vandril_loot_cli categories\n  vandril_loot_cli categories --format json\n\nExit codes:\n  0    done\n"
   "  64   an unknown or malformed option or value\n", ""},
  {"seed_below_zero", {kGen, kLevels, "01-10", "--seed", "-1", "--dry-run"}, {}, 64, "",
   "vandril_loot_cli: --seed -1 is not a whole number from 0 to 2^64-1\n"},
  {"seed_above_its_range", {"simulate", "--npc", "1", "--kills", "1", "--seed", "18446744073709551616"}, {}, 64,
   "", "vandril_loot_cli: --seed 18446744073709551616 is not a whole number from 0 to 2^64-1\n"},
  // Reading a journal that is not there makes none.
  {"history_of_no_journal", {"history", "--journal", "none/j.sqlite3"}, {}, 1, "",
   "vandril_loot_cli: the journal none/j.sqlite3: no such file; a write command makes it. Nothing was created.\n"},
  {"no_command", {}, {}, 64, "",
   "Usage: vandril_loot_cli [--config FILE] [--journal FILE | --no-journal] [--quiet | --verbose] COMMAND "
   "[OPTIONS]\n\nCommands:\n  generate    what Execute does: custom loot for a level range\n  delete      "
   "deletes the custom loot drops of a level range\n  repair      gives NPCs without loot a loottable\n  apply       writes a plan saved by generate --dry-run --plan, all or nothing\n  stats       "
   "the custom drop counts per category and level range\n  test-rules  counts the items that pass the rules\n"
   "  check       a read-only report of the loot tables\n  categories  the loot categories and level ranges (no "
   "server needed)\n  simulate    what a player gets per kill of the chosen NPCs, by the server's loot rules\n"
   "  history     the journaled runs, newest first\n  show        a journaled run's settings and rows\n  undo        "
   "takes back what a journaled run wrote\n  help        a command's help: help COMMAND\n\nRun vandril_loot_cli "
   "--help, or vandril_loot_cli help COMMAND, for more.\n"},
  {"unknown_option", {"stats", "--frobnicate"}, {}, 64, "",
   "vandril_loot_cli: --frobnicate is no option of stats; see vandril_loot_cli help stats\n"},
  {"unknown_range", {"delete", kLevels, "01-11", "--yes"}, {}, 64, "", "vandril_loot_cli: --levels 01-11 is no "
   "level range; use one of 01-10, 11-20, 21-30, 31-40, 41-50, 51-60, 61-99, 65-99\n"},
  {"unknown_category", {"test-rules", "--category", "Helmets", "--rules", "1"}, {}, 64, "",
   "vandril_loot_cli: --category \"Helmets\" is no loot category; use one of (any case) \"Armour\", \"Weapon\", "
   "\"Higher LVL Misc\", \"All LVL Misc\", \"Shields\", \"General Food Items\", \"Spells/Songs\", \"Potions\", "
   "\"Drums/Arrows/Crafted Rings\", \"Drinks/Ales\", \"idols,charms,trinkets\", \"high level augment "
   "items/Solvents\", \"Ales/Drinks\", \"idols charms trinkets\"\n"},
  {"items_not_a_number", {kGen, kLevels, "01-10", kItems, "abc"}, {}, 64, "",
   "vandril_loot_cli: --items \"abc\" is not a number from 1 to 32 (a drop holds at most 32 items)\n"},
  {"missing_levels", {kGen}, {}, 64, "", "vandril_loot_cli: generate needs --levels LL-HH: level "
   "range: 01-10, 11-20, 21-30, 31-40, 41-50, 51-60, 61-99, 65-99; see vandril_loot_cli help generate\n"},
  {"missing_list_file", {kGen, kLevels, "01-10", "--list", "nowhere.txt"}, {}, 64, "",
   "vandril_loot_cli: --list nowhere.txt cannot be read\n"},
  {"rules_with_list", {kGen, kLevels, "01-10", "--list", "-", "--rules", "x"}, {}, 64, "",
   "vandril_loot_cli: --list and --rules cannot be given together: leave one of them out; see vandril_loot_cli "
   "help generate\n"},
  {"delete_without_terminal_or_yes", {"delete", kLevels, "01-10"}, {}, 64, "",
   "vandril_loot_cli: without a terminal to ask on, give --yes\n"},
  {"generate_without_terminal_or_yes", {kGen, kLevels, "01-10", kWin}, {}, 64, "",
   "vandril_loot_cli: without a terminal to ask on, give --yes\n"},
  {"apply_without_terminal_or_yes", {"apply", "nowhere.json"}, {}, 64, "",
   "vandril_loot_cli: without a terminal to ask on, give --yes\n"},
  {"atomic_with_window_way", {kGen, kLevels, "01-10", "--atomic", kWin, kYes}, {}, 64, "",
   "vandril_loot_cli: --atomic and --window-way cannot be given together: leave one of them out; see "
   "vandril_loot_cli help generate\n"},
  {"plan_needs_json", {kGen, kLevels, "01-10", "--dry-run", "--plan", "plan.txt"}, {}, 64, "",
   "vandril_loot_cli: --plan plan.txt needs the extension .json\n"},
  // Every name the pattern matches goes, custom or not ('_' matches any character): those first.
  {"delete_dry_run_reads_only", {"delete", kLevels, "01-10", "--dry-run"}, {"INSERT INTO lootdrop (id,name) VALUES "
   "(5,'lvl_01-10_CUSTOM_armour'),(6,'lvl_01-10_boss'),(7,'lvl_01-10_CUSTOM_armour'),(8,'lvl-01-10_CUSTOM_weapon'),"
   "(9,'lvl_11-20_CUSTOM_armour')", "INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (5,1),(6,1),(6,2),(9,1)",
   "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (3,6),(4,9)"}, 0,
   "Lootdrops whose name matches lvl_01-10% ('_' matching any character), custom or not: 4\n"
   "Names that do not end in _CUSTOM_<category word>: 1\n  lvl_01-10_boss (1 lootdrop)\nNames of custom drops: 2\n"
   "  lvl-01-10_CUSTOM_weapon (1 lootdrop)\n  lvl_01-10_CUSTOM_armour (2 lootdrops)\nTheir lootdrop entries: 3\n"
   "Loottable entries linking them: 1\nDelete would remove all of these; nothing was changed.\n", "",
   "SELECT CONCAT(COUNT(*),(SELECT COUNT(*) FROM lootdrop_entries)) FROM lootdrop", "54", 2},
  {"repair_dry_run_reads_only", {"repair", "--dry-run"}, {kBat, "INSERT INTO npc_types (id,name,level,loottable_id) "
   "SELECT seq,'m',5,0 FROM seq_2_to_12", "INSERT INTO items (id,name) VALUES (1003,'cloth cap'),(1004,'Rusty Axe')"}, 0,
   "NPCs without a loottable (loottable_id 0): 12\n  npc 1 a bat\n  npc 2 m\n  npc 3 m\n  npc 4 m\n  npc 5 m\n  npc 6 m\n"
   "  npc 7 m\n  npc 8 m\n  npc 9 m\n  npc 10 m\n  ... and 2 more\nItems whose name starts with cloth or rusty: 2\n"
   "Repair would write 1 lootdrop with 4 entries, 12 loottables with one entry each, and point 12 NPCs at them; "
   "nothing was changed.\n", "", "SELECT SUM(loottable_id) FROM npc_types", "0", 3},
  {"missing_db_ini", {"stats", "--config", "nowhere.ini"}, {}, 2, "", "vandril_loot_cli: no db.ini found; tried, in "
   "this order:\n  nowhere.ini\ngive the file with --config FILE, or put one in the first place above\n"},
  // db.ini from standard input: what keeps it from giving settings, by line and key.
  {"db_ini_without_password", {"--quiet", "--config", "/dev/stdin", "stats"}, {}, 2, "", "DB.INI Invalid or Missing\n"
   "db.ini (/dev/stdin): no `password=` line\n", "", "", 0, "host=h\nuser=u\ndatabase=w\n"},
  {"db_ini_spaced_key_bad_port_and_ssl", {"--config", "/dev/stdin", "test-rules", "--rules", "1"}, {}, 2, "",
   "DB.INI Invalid or Missing\ndb.ini (/dev/stdin): line 3: `host = x` has spaces around `=`\ndb.ini (/dev/stdin): "
   "line 5: `port=70000` is no port number from 1 to 65535\ndb.ini (/dev/stdin): line 6: `ssl=yes` is neither "
   "`ssl=1` nor `ssl=0`\n", "", "", 0, "user=u\npassword=p\nhost = x\ndatabase=w\nport=70000\nssl=yes\n"},
  {"port_nobody_listens_on", {"--port", "3308", "stats"}, {}, 2, "", "vandril_loot_cli: could not connect: is the "
   "server running and listening on " VL_TEST_DB_HOST ":3308?\n"},
  {"port_out_of_range", {"--port", "65536", "stats"}, {}, 64, "",
   "vandril_loot_cli: --port 65536 is not a whole number from 1 to 65535\n"},
  // Plans: a dry run reads only; an atomic run writes the plan or nothing.
  // Loottable 77 is shared with NPCs 3..14 outside the range: twelve, ten of them listed.
  // Loottable 77 already drops item 1001 at chance 20 (mode A): 0.2 per kill before; the new drop adds
  // 0.5 x (1 - 0.9) = 0.05, so 1 - 0.8 x 0.95 = 0.24 after. Loottable 88 has no row: nothing drops.
  {"dry_run_previews_and_writes_nothing", {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "5",
   "--dry-run"}, {kArmours, kNpcs, "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'m',"
   "seq*4,77 FROM seq_3_to_14", "INSERT INTO loottable (id) VALUES (77)", "INSERT INTO lootdrop (id) VALUES (40)",
   "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (40,1001,20)",
   "INSERT INTO loottable_entries VALUES (77,40,1,100,0,0)"}, 0, "Planned drops (lvl_01-10_CUSTOM_armour):\n"
   "NPC 1 n (level 5), loottable 77: lootdrop 41\n  item 1002 i\nNPC 2 n (level 5), loottable 88: lootdrop 42\n"
   "  item 1002 i\nNPCs in the range: 2\nNPCs keeping a loottable (one per loottable): 2\nChosen NPCs: 2\n"
   "Drops: 2\nEntries: 2\nShared loottables: 1 (--isolate-shared copies them for the range's NPCs alone)\n"
   "  loottable 77 is used by 12 NPC(s) outside 01-10, who would "
   "receive the drop too: 3 m (level 12); 4 m (level 16); 5 m (level 20); 6 m (level 24); 7 m (level 28); 8 m "
   "(level 32); 9 m (level 36); 10 m (level 40); 11 m (level 44); 12 m (level 48); ...\nThe lootdrop ids are "
   "planned from the highest id now (40); they will differ if lootdrops are written before the run.\n"
   "Drop rates (chance per kill of at least one item, over the 2 chosen NPCs, global loot multiplier 1):\n"
   "  before the run: mean 10.00 %, lowest 0.00 %, highest 20.00 %\n"
   "  after the run: mean 12.00 %, lowest 0.00 %, highest 24.00 %\n"
   "  from the new drop: mean 2.50 %, lowest 0.00 %, highest 5.00 %\n" + kNoSpawns, "", "SELECT COUNT(*) FROM lootdrop",
   "1", 14},
  // 0.4 is item 0 in every draw, as the run writes it; 3907 alone exists. No loottable has a row.
  {"dry_run_lists_items_that_do_not_exist", {kGen, kLevels, "01-10", kAll, "101", kItems, "3", "--seed", "5", "--list",
   "-", "--dry-run"}, {"INSERT INTO items (id,name,itemtype) VALUES (3907,'i',10)", kNpcs}, 0,
   "Planned drops (lvl_01-10_CUSTOM_armour):\nNPC 1 n (level 5), loottable 77: lootdrop 1\n  item 0 \n  item 8879 \n"
   "  item 3907 i\nNPC 2 n (level 5), loottable 88: lootdrop 2\n  item 8879 \n  item 3907 i\n  item 0 \n"
   "NPCs in the range: 2\nNPCs keeping a loottable (one per loottable): 2\nChosen NPCs: 2\nDrops: 2\nEntries: 6\n"
   "Items that do not exist in items: 0 in 2 drops, 8879 in 2 drops\nShared loottables: 0\nThe lootdrop ids are "
   "planned from the highest id now (none); they will differ if lootdrops are written before the run.\n"
   "Drop rates (chance per kill of at least one item, over the 2 chosen NPCs, global loot multiplier 1):\n"
   "  before the run: mean 0.00 %, lowest 0.00 %, highest 0.00 %\n"
   "  after the run: mean 0.00 %, lowest 0.00 %, highest 0.00 %\n"
   "  from the new drop: mean 0.00 %, lowest 0.00 %, highest 0.00 %\n" + kNoSpawns,
   "Custom List Created [3 items]\n", "SELECT COUNT(*) FROM lootdrop", "0", 13, "3907\n0.4\n8879\n"},
  {"generate_writes_atomically_by_default", {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--seed", "5", kYes},
   {kArmours, kNpcs}, 0, kTwoDrops + "4 seconds={s}\n", "", "SELECT COUNT(*) FROM lootdrop_entries", "4", 15},
  {"atomic_rejected_batch_rolls_back", {kGen, kLevels, "01-10", kAll, "101", "--seed", "5", kItems, "1", "--atomic", kYes},
   {kArmours, kNpcs, "CREATE TRIGGER refuse BEFORE INSERT ON loottable_entries FOR EACH ROW SIGNAL SQLSTATE '45000' "
    "SET MESSAGE_TEXT='no links today'"}, 1, "npcs=2 walked=2 chosen=2 drops=0 entries=0 seconds={s}\n",
   "The server rejected a statement; the transaction was rolled back, nothing of the run was written.\n"
   "{server}no links today\nStatement: INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,"
   "probability,droplimit,mindrop) VALUES (77,1,1,50,1,0),(88,2,1,50,1,0)\n", "SELECT COUNT(*) FROM lootdrop", "0", 16},
  {"atomic_refuses_a_table_without_rollback", {kGen, kLevels, "01-10", kItems, "1", "--seed", "5", "--atomic", kYes},
   {kArmours, kNpcs, "ALTER TABLE lootdrop ENGINE=MyISAM"}, 1, "npcs=2 walked=2 chosen=0 drops=0 entries=0 "
   "seconds={s}\n", "Table lootdrop uses the MyISAM engine, which cannot roll back: the run could not be "
   "all or nothing.\nNothing was written.\n", "SELECT COUNT(*) FROM lootdrop", "0", 7},
  // A write command refuses without its journal, unless told to write without one.
  {"unwritable_journal", {"--journal", "/dev/null/j", kGen, kYes, kLevels, "01-10", kAll, "101"}, {kArmours, kNpcs}, 1, "",
   "vandril_loot_cli: the journal /dev/null/j cannot be opened (unable to open database file); nothing was "
   "written. Give --no-journal to write without one.\n", "SELECT COUNT(*) FROM lootdrop", "0", 0},
  {"atomic_journal_fails", {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4", "--atomic", kYes},
   {kArmours, kNpcs}, 1, "npcs=2 walked=2 chosen=2 drops=0 entries=0 seconds={s}\n", "The journal " VL_JOURNAL_DIR
   "/cli_row_atomic_journal_fails.sqlite3 could not be written (disk full): the statement was not sent and the run "
   "stopped. What was written before is in the journal.\nThe transaction was rolled back, nothing of the run was "
   "written.\n", "SELECT COUNT(*) FROM lootdrop", "0", 12, "",
   "CREATE TRIGGER full AFTER INSERT ON rows BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
  // The journal fails at the second batch: the first went out, the transaction is rolled back.
  {"atomic_journal_fails_later", {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4", "--atomic", kYes},
   {kArmours, kNpcs}, 1, "npcs=2 walked=2 chosen=2 drops=0 entries=0 seconds={s}\n", "The journal " VL_JOURNAL_DIR
   "/cli_row_atomic_journal_fails_later.sqlite3 could not be written (disk full): the statement was not sent and the "
   "run stopped. What was written before is in the journal.\nThe transaction was rolled back, nothing of the run "
   "was written.\n", "SELECT COUNT(*) FROM lootdrop", "0", 13, "",
   "CREATE TRIGGER full AFTER INSERT ON rows WHEN NEW.tbl='lootdrop_entries' BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
  {"no_journal_writes", {"--no-journal", kGen, kWin, kYes, kLevels, "01-10", kAll, "101", kItems, "2"},
   {kArmours, kNpcs}, 0, kTwoDrops + "4 seconds={s}\n", kSeed + kDone, "SELECT COUNT(*) FROM lootdrop", "2", 12},
  // --format json: one JSON object on standard output, with the seed and the journal's run (none here).
  {"generate_json", {"--no-journal", kGen, kWin, kYes, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4",
   "--format", "json"},
   {kArmours, kNpcs}, 0, R"({"npcs":2,"walked":2,"chosen":2,"drops":2,"entries":2,"seconds":{s},"seed":4,"run":null})"
   "\n", kDone, "SELECT COUNT(*) FROM lootdrop", "2", 10},
  {"atomic_json_journaled", {kGen, "--format", "json", kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4",
   "--atomic", kYes}, {kArmours, kNpcs}, 0, R"({"npcs":2,"walked":2,"chosen":2,"drops":2,"entries":2,"seconds":{s},"seed":4,)"
   R"("run":1})" "\n", "", "SELECT COUNT(*) FROM lootdrop", "2", 15, "", "SELECT 1"},
  {"delete_json", {"delete", kLevels, "01-10", "--yes", "--format", "json"}, {"INSERT INTO lootdrop (id,name) VALUES "
   "(5,'lvl_01-10_CUSTOM_armour')"}, 0, R"({"deleted":1,"run":1})" "\n", "", "SELECT COUNT(*) FROM lootdrop", "0",
   10, "", "SELECT 1"},
  {"repair_json", {"--no-journal", "repair", "--yes", "--format", "json"}, {kBat, "INSERT INTO items (id,name) VALUES "
   "(1003,'cloth cap')"}, 0, R"({"repaired":1,"run":null})" "\n", "", "SELECT loottable_id FROM npc_types", "1", 12},
  {"dry_run_json", {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--seed", "5", "--list", "-", "--dry-run",
   "--format", "json"}, {"INSERT INTO items (id,name,itemtype) VALUES (3907,'i',10)", kNpcs}, 0,
   R"({"drop_name":"lvl_01-10_CUSTOM_armour","highest_lootdrop_id":null,"npcs_in_range":2,"npcs_keeping_loottable":2,)"
   R"("chosen":2,"drops":2,"entries":4,"missing_items":[{"item_id":8879,"drops":2}],"shared_loottables":[],)"
   R"("drop_rates":{"before":{"mean":0.0,"lowest":0.0,"highest":0.0},"after":{"mean":0.0,"lowest":0.0,"highest":0.0},)"
   R"("new_drop":{"mean":0.0,"lowest":0.0,"highest":0.0},"items_per_hour_new":0.0},"aim":null,"left_alone":[],"planned":[{"npc_id":1,)"
   R"("npc_name":"n","npc_level":5,"loottable_id":77,"lootdrop_id":1,"items":[{"item_id":8879,"item_name":""},)"
   R"({"item_id":3907,"item_name":"i"}],"probability":50.0,"chance":10.0,"target":null,"p_any_before":0.0,)"
   R"("p_any_after":0.0,"p_new_drop":0.0,"items_per_hour_new":0.0},{"npc_id":2,"npc_name":"n","npc_level":5,"loottable_id":88,)"
   R"("lootdrop_id":2,"items":[{"item_id":8879,"item_name":""},{"item_id":3907,"item_name":"i"}],)"
   R"("probability":50.0,"chance":10.0,"target":null,"p_any_before":0.0,"p_any_after":0.0,"p_new_drop":0.0,)"
   R"("items_per_hour_new":0.0}]})" "\n",
   "Custom List Created [2 items]\n", "SELECT COUNT(*) FROM lootdrop", "0", 13, "3907\n8879\n"},
  {"journal_with_no_journal", {"--journal", "j", "--no-journal", kGen, kLevels, "01-10"}, {}, 64, "",
   "vandril_loot_cli: --journal and --no-journal cannot be given together: leave one of them out; see "
   "vandril_loot_cli --help\n"},
  {"sql_needs_dry_run", {kGen, kLevels, "01-10", "--sql", "plan.sql"}, {}, 64, "",
   "vandril_loot_cli: --sql works only with --dry-run: add --dry-run, or leave --sql out; see vandril_loot_cli "
   "help generate\n"},
  {"isolate_shared_not_the_windows_way", {kGen, kLevels, "01-10", "--isolate-shared", kWin}, {}, 64, "", "vandril_loot_cli: "
   "--isolate-shared writes with the atomic writer or plans with --dry-run; the window's way writes the window's "
   "statements only\n"},
  {"isolate_shared_dry_run", kIsolate + Args{"--dry-run"}, kSharedWorld, 0, "Planned drops (lvl_01-10_CUSTOM_armour):\n"
   "NPC 1 a (level 3), loottable 1: lootdrop 14\n  item 1002 i\nNPC 3 c (level 4), loottable 5 (a copy of 2): lootdrop "
   "15\n  item 1002 i\nNPC 5 e (level 10), loottable 6 (a copy of 3): lootdrop 16\n  item 1001 i\nNPCs in the range: 6\n"
   "NPCs keeping a loottable (one per loottable): 3\nChosen NPCs: 3\nDrops: 3\nEntries: 3\nShared loottables: 2 copied "
   "for the range (3 NPCs moved to the copies; 3 NPCs outside keep the originals)\n  loottable 2 -> 5: 1 NPCs moved\n"
   "  loottable 3 -> 6: 2 NPCs moved\nThe lootdrop ids are planned from the highest id now (13); they will differ if "
   "lootdrops are written before the run.\nDrop rates (chance per kill of at least one item, over the 3 chosen NPCs, "
   "global loot multiplier 1):\n  before the run: mean 12.98 %, lowest 4.50 %, highest 29.43 %\n  after the run: mean "
   "17.33 %, lowest 9.28 %, highest 32.96 %\n  from the new drop: mean 5.00 %, lowest 5.00 %, highest 5.00 %\n" +
   kNoSpawns, "", "SELECT COUNT(*) FROM loottable", "4", 16},
  {"isolate_shared_atomic", kIsolate + Args{"--atomic", kYes}, kSharedWorld, 0, "npcs=6 walked=6 chosen=3 drops=3 entries=3 "
   "seconds={s}\n", "", "SELECT CONCAT((SELECT GROUP_CONCAT(id,':',name,':',mincash ORDER BY id) FROM loottable),' / ',"
   "(SELECT GROUP_CONCAT(loottable_id ORDER BY id) FROM npc_types))", "1:lt1:10,2:lt2:20,3:lt3:30,4:lt4:40,5:lt2 "
   "[lvl_01-10]:20,6:lt3 [lvl_01-10]:30 / 1,1,5,2,6,3,3,6,0,4", 26, "", "", "levels 01-10, category armour, rules \"\", "
   "npc percent 101, chance 10, probability 50, items 1, seed 3, atomic, shared loottables copied"},
  // The copies' names: the range added once, cut to the column's 14 characters.
  {"isolate_shared_names", kIsolate + Args{"--atomic", kYes}, kSharedWorld + Texts{"ALTER TABLE loottable MODIFY name "
   "VARCHAR(14) NOT NULL", "UPDATE loottable SET name='x [lvl_01-10]' WHERE id=3"}, 0, "npcs=6 walked=6 chosen=3 drops=3 "
   "entries=3 seconds={s}\n", "", "SELECT GROUP_CONCAT(name ORDER BY id) FROM loottable WHERE id>4",
   "lt2 [lvl_01-10,x [lvl_01-10]", 26},
  {"report_needs_csv_or_json", {kGen, kLevels, "01-10", "--report", "drops.txt"}, {}, 64, "",
   "vandril_loot_cli: --report drops.txt needs the extension .csv or .json\n"},
  // simulate: 0.5 x (1 - 0.9^5) = 0.204755 per kill, each item a fifth.
  {"simulate_table", {"simulate", "--npc", "2,1,77"}, kDropWorld, 0, "NPC 1 orc (level 10), loottable 1: 20.48 % "
   "chance of anything, 0.2048 items per kill\n  item 1001 a: 0.04095 per kill\n  item 1002 b: 0.04095 per kill\n"
   "  item 1003 c: 0.04095 per kill\n  item 1004 d: 0.04095 per kill\n  item 1005 e: 0.04095 per kill\n"
   "NPC 2 bat (level 10), loottable 0: 0.00 % chance of anything, 0 items per kill\nNPCs: 2; chance of anything per "
   "kill: mean 10.2377 %, lowest 0 %, highest 20.4755 %\n" + kLeftOut,
   "No NPC has the id 77.\n", "", "", 4},
  {"simulate_query_fails", {"simulate", kLevels, "0-255"}, {"DROP TABLE loottable"}, 1, "", "The database rejected a "
   "statement, and the command was stopped.\n\n{server}Table 'world.loottable' doesn't exist\n\nStatement: (reading "
   "the world for the drop rates)\n", "", "", 3},  // the lootdrops read beside it, in full
  {"simulate_range_reversed", {"simulate", kLevels, "12-10"}, {}, 64, "", "vandril_loot_cli: --levels 12-10 is no "
   "level range; give LL-HH with 0 <= LL <= HH, such as 01-10\n"},
  {"simulate_bad_id_list", {"simulate", "--npc", "1,,2"}, {}, 64, "", "vandril_loot_cli: --npc 1,,2 is no list of "
   "NPC ids; give ID[,ID...], such as 12,40\n"},
  {"simulate_multiplier_0", {"simulate", "--npc", "1", "--loot-multiplier", "0"}, {}, 64, "",
   "vandril_loot_cli: --loot-multiplier 0 is not a whole number from 1 to 100\n"},
  {"simulate_multiplier_101", {"simulate", "--npc", "1", "--loot-multiplier", "101"}, {}, 64, "",
   "vandril_loot_cli: --loot-multiplier 101 is not a whole number from 1 to 100\n"},
  {"simulate_kills_over_limit", {"simulate", "--npc", "1", "--kills", "10000001"}, {}, 64, "",
   "vandril_loot_cli: --kills 10000001 is not a whole number from 1 to 10000000\n"},
  {"simulate_kills_0", {"simulate", "--npc", "1", "--kills", "0"}, {}, 64, "",
   "vandril_loot_cli: --kills 0 is not a whole number from 1 to 10000000\n"},
  {"simulate_without_npcs", {"simulate"}, {}, 64, "",
   "vandril_loot_cli: simulate needs --levels LL-HH or --npc ID[,ID...]\n"},
  {"simulate_seed_without_kills", {"simulate", "--npc", "1", "--seed", "4"}, {}, 64, "",
   "vandril_loot_cli: --seed works only with --kills: add --kills, or leave --seed out; see vandril_loot_cli "
   "help simulate\n"},
};
// clang-format on

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// What varies between runs, replaced by the placeholders the rows use.
std::string steady(const std::string& text) {
  std::string seconds =
      std::regex_replace(text, std::regex(R"(seconds(=|":)[0-9.e-]+)"), "seconds$1{s}");
  seconds = std::regex_replace(seconds, std::regex(R"("20[0-9-]+T[0-9:]+Z")"), "\"{time}\"");
  seconds = std::regex_replace(seconds, std::regex(R"(seed=[0-9]+\n)"), "{seed}");
  return std::regex_replace(seconds, std::regex(R"(\[ma-[^\n]*\])"), "{server}");
}

class CommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLine, ExitOutputRowsAndStatements) {
  const Row& row = GetParam();
  reset_world();
  for (const std::string& sql : row.world) fixture_sql(sql);
  Args args = row.args;
  const std::string own_journal = VL_JOURNAL_DIR "/cli_row_" + std::string(row.name) + ".sqlite3";
  if (!row.journal.empty() || !row.settings.empty()) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(own_journal + suffix);
    journal::Store made(own_journal);
    sqlite3* db = nullptr;
    sqlite3_open(own_journal.c_str(), &db);
    EXPECT_EQ(sqlite3_exec(db, row.journal.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    args = journaled(own_journal, args);
  }
  GeneralLog log;
  const CliResult result = run_cli(args, row.input);
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(steady(result.out), row.out);
  EXPECT_EQ(steady(result.err), row.err);
  EXPECT_EQ(row.query.empty() ? "" : fixture_value(row.query), row.rows) << row.query;
  EXPECT_EQ(log.statements().size(), static_cast<std::size_t>(row.statements));
  if (!row.settings.empty()) {
    EXPECT_EQ(journal::describe_settings(journal::Store(own_journal).runs().at(0).settings),
              row.settings);
  }
  if (row.exit_code == 64 || row.exit_code == 2) {
    EXPECT_TRUE(log.connections().empty());  // bad input never reaches the server
  }
  if (std::ranges::find(row.args, "--dry-run") != row.args.end()) {
    for (const LogEntry& entry : log.statements())
      EXPECT_TRUE(entry.argument.starts_with("SELECT"));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// `help COMMAND` shows `COMMAND --help`, which ends with the command's exit codes.
TEST(CommandLineHelp, HelpCommandIsTheCommandsOwnHelp) {
  for (const char* command : {"generate", "delete", "repair", "stats", "test-rules", "check",
                              "categories", "simulate", "history", "show", "undo"}) {
    const CliResult help = run_cli({"help", command}), own = run_cli({command, "--help"});
    EXPECT_EQ(std::tuple(help.exit_code, help.out), std::tuple(0, own.out)) << command;
    EXPECT_NE(own.out.find("\nExit codes:\n  0    "), std::string::npos) << command;
  }
}

// Every command, the journaled ones and undo included, ends at a refused login
// with the connection message and what was tried, exit 2, having written and
// printed nothing.
TEST(CommandLineConnection, RefusedLoginEndsWithTheConnectionMessage) {
  const std::string journal = fresh_journal("cli_refused_login");
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  const Args generate = {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4"};
  ASSERT_EQ(run_cli(journaled(journal, generate + Args{kYes})).exit_code, 0);
  const auto before = world_checksums();
  // clang-format off
  const Args commands[] = {{"stats"}, generate + Args{kWin, kYes}, generate + Args{"--dry-run"},
                           generate + Args{kYes}, generate + Args{"--atomic", kYes},
                           {"delete", kLevels, "01-10", "--dry-run"}, {"repair", "--dry-run"},
                           {"delete", kLevels, "01-10", "--yes"},  // reading the rows to journal
                           {"repair", "--yes"}, {"undo", "1", "--yes"}, {"undo", "1", "--dry-run"},
                           {"--quiet", "check"}};
  // clang-format on
  for (const Args& command : commands) {
    const CliResult result = CliProcess(journaled(journal, command), "", "wrong_password").wait();
    EXPECT_EQ(std::tuple(result.exit_code, result.out, steady(result.err)),
              std::tuple(2, "", refused_login("db.ini")))
        << command[0];
  }
  EXPECT_EQ(world_checksums(), before);
}

// A saved plan is written exactly, journaled, or refused with what changed in
// the world since it was made, leaving the world as it was.
struct ApplyCase {
  const char* name;
  Texts between;                   // statements on the world after planning
  std::string edit_from, edit_to;  // an edit of the plan file
  int exit_code;
  std::string out, err, rows;
  bool isolate = false;  // planned with --isolate-shared on the world of shared loottables
};

TEST(ApplyPlan, WritesThePlanOnlyWhileTheWorldStillFitsIt) {
  const std::string plan = VL_JOURNAL_DIR "/plan.json", journal = VL_JOURNAL_DIR "/apply.sqlite3";
  const std::string misfit =
      "The world no longer fits the plan " + plan + "; nothing was written (make a new plan):\n";
  // clang-format off
  const ApplyCase cases[] = {
    {"fits", {}, "", "", 0, kTwoDrops + "2 seconds={s}\n", "", "1:1002:77,2:1001:88"},
    {"lootdrop_written_since", {"INSERT INTO lootdrop (id,name) VALUES (9,'x')"}, "", "", 1, "",
     misfit + "  the highest lootdrop id is 9, not none as planned\n", "NULL"},
    {"npcs_and_items_changed", {"UPDATE npc_types SET loottable_id=99 WHERE id=1", "DELETE FROM npc_types WHERE id=2",
     "DELETE FROM items WHERE id=1002"}, "", "", 1, "", misfit + "  NPC 1 has loottable 99, not 77 as planned\n"
     "  NPC 2 no longer exists\n  item 1002 no longer exists\n", "NULL"},
    {"row_edited", {}, R"("chance":10,"minlevel":0,"maxlevel":127,"multiplier":1}],"loottable_entries":[{"loottable_id":88)",
     R"("chance":11,"minlevel":0,"maxlevel":127,"multiplier":1}],"loottable_entries":[{"loottable_id":88)", 1, "",
     "vandril_loot_cli: the plan " + plan + " cannot be applied: drop 2 does not hold the rows generate plans (lootdrop "
     "id 2, 1 entries, the settings' chance and probability). Nothing was written.\n", "NULL"},
    {"newer_version", {}, R"("version":1,)", R"("version":4,)", 1, "", "vandril_loot_cli: the plan " + plan + " cannot "
     "be applied: its version is 4; this program reads versions 1 to 3. Nothing was written.\n", "NULL"},
    {"loottable_written_since", {"INSERT INTO loottable (id) VALUES (50)"}, "", "", 1, "", misfit + "  the highest "
     "loottable id is 50, not 4 as planned\n", "NULL", true},
    {"range_and_sharing_changed", {"UPDATE npc_types SET loottable_id=4 WHERE id=8", "UPDATE npc_types SET "
     "loottable_id=2 WHERE id=9", "UPDATE npc_types SET loottable_id=1 WHERE id=10", "UPDATE npc_types SET level=5 "
     "WHERE id=4"}, "", "", 1, "", misfit + "  NPC 8 has loottable 4, not 3 as planned\n  NPC 4 of the range has "
     "loottable 2, which the plan copies without it\n  NPC 9 of the range has loottable 2, which the plan copies "
     "without it\n  loottable 1 is used by 1 NPC(s) outside the range now; the plan does not copy it\n  loottable 2 is "
     "no longer used by NPCs outside the range; the plan copies it\n", "NULL", true},
    // The copies' part of a plan file, its highest loottable id then edited.
    {"copies_edited", {}, R"("isolate_shared":true},"drop_name":"lvl_01-10_CUSTOM_armour","items_per_drop":1,)"
     R"("highest_lootdrop_id":13,"highest_loottable_id":4,"npcs_in_range":6,"npcs_keeping_loottable":3,)"
     R"("items_missing":[],"loottable_copies":[{"original_id":2,"copy_id":5,"moved_npcs":[3],"outside_npcs":1},)"
     R"({"original_id":3,"copy_id":6,"moved_npcs":[5,8],"outside_npcs":2}],"drops":[)",
     R"("isolate_shared":true},"drop_name":"lvl_01-10_CUSTOM_armour","items_per_drop":1,)"
     R"("highest_lootdrop_id":13,"highest_loottable_id":3,"npcs_in_range":6,"npcs_keeping_loottable":3,)"
     R"("items_missing":[],"loottable_copies":[{"original_id":2,"copy_id":5,"moved_npcs":[3],"outside_npcs":1},)"
     R"({"original_id":3,"copy_id":6,"moved_npcs":[5,8],"outside_npcs":2}],"drops":[)", 1, "",
     "vandril_loot_cli: the plan " + plan + " cannot be applied: its loottable copies are not the ones generate plans "
     "for its drops (one for each copied drop, in their order, with the ids after its highest loottable id). Nothing "
     "was written.\n", "NULL", true}};
  // clang-format on
  for (const ApplyCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
    reset_world();
    const Texts world = {"INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10),(1002,'j',10)",
                         kNpcs};
    for (const std::string& sql : c.isolate ? kSharedWorld : world) fixture_sql(sql);
    const Args plain = {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "3"};
    const CliResult planned =
        run_cli((c.isolate ? kIsolate : plain) + Args{"--dry-run", "--plan", plan});
    ASSERT_EQ(planned.exit_code, 0) << planned.err;
    std::string text = read_file(plan);
    if (c.edit_from.empty() && !c.isolate) {
      EXPECT_EQ(
          std::regex_replace(text, std::regex(R"("planned":"[0-9TZ:-]+")"), "{time}"),
          R"({"format":"vandril_loot plan","version":1,{time},"settings":{"levels":"01-10",)"
          R"("category":"armour","list_size":null,"rules":"","npc_percent":"101","chance":"10",)"
          R"("probability":"50","items":"1","seed":3},"drop_name":"lvl_01-10_CUSTOM_armour",)"
          R"("items_per_drop":1,"highest_lootdrop_id":null,"npcs_in_range":2,)"
          R"("npcs_keeping_loottable":2,"items_missing":[],"drops":[{"npc_id":1,"lootdrop":[{"id":1,)"
          R"("name":"lvl_01-10_CUSTOM_armour"}],"lootdrop_entries":[{"lootdrop_id":1,"item_id":1002,)"
          R"("item_charges":1,"equip_item":1,"chance":10,"minlevel":0,"maxlevel":127,"multiplier":1}],)"
          R"("loottable_entries":[{"loottable_id":77,"lootdrop_id":1,"multiplier":1,"probability":50,)"
          R"("droplimit":1,"mindrop":0}]},{"npc_id":2,"lootdrop":[{"id":2,"name":"lvl_01-10_CUSTOM_armour"}],)"
          R"("lootdrop_entries":[{"lootdrop_id":2,"item_id":1001,"item_charges":1,"equip_item":1,)"
          R"("chance":10,"minlevel":0,"maxlevel":127,"multiplier":1}],"loottable_entries":[{)"
          R"("loottable_id":88,"lootdrop_id":2,"multiplier":1,"probability":50,"droplimit":1,)"
          R"("mindrop":0}]}]})"
          "\n");
    } else if (!c.edit_from.empty()) {
      ASSERT_NE(text.find(c.edit_from), std::string::npos);
      std::ofstream(plan) << text.replace(text.find(c.edit_from), c.edit_from.size(), c.edit_to);
    }
    for (const std::string& sql : c.between) fixture_sql(sql);
    const auto before = world_checksums();
    const CliResult applied = run_cli(journaled(journal, {"apply", plan, kYes}));
    EXPECT_EQ(std::tuple(applied.exit_code, steady(applied.out), steady(applied.err)),
              std::tuple(c.exit_code, c.out, c.err));
    EXPECT_EQ(
        fixture_value(
            "SELECT GROUP_CONCAT(CONCAT(d.id,':',e.item_id,':',t.loottable_id) ORDER BY d.id) "
            "FROM lootdrop d JOIN lootdrop_entries e ON e.lootdrop_id=d.id JOIN "
            "loottable_entries t ON t.lootdrop_id=d.id WHERE d.name LIKE 'lvl%'"),
        c.rows);
    // Refused, it changed nothing; written, it was journaled and can be undone.
    EXPECT_EQ(c.exit_code == 0 ? run_cli(journaled(journal, {"undo", "1", kYes})).exit_code : 0, 0);
    EXPECT_EQ(world_checksums(), before);
  }
}

// VANDRIL_LOOT_PASSWORD wins over db.ini's password; a db.ini that holds a
// password others may read is named with a warning.
TEST(CommandLineConnection, PasswordFromTheEnvironmentAndAFileOthersMayRead) {
  reset_world();
  const std::string ini = VL_JOURNAL_DIR "/cli_env_password.ini";
  const auto run = [&](const std::string& password_line, std::filesystem::perms mode) {
    std::ofstream(ini) << "host=" VL_TEST_DB_HOST "\nuser=vandril\n"
                       << password_line << "database=world\n";
    std::filesystem::permissions(ini, mode);
    const CliResult result = run_cli({"--config", ini, "test-rules", "--rules", "1"});
    return std::tuple(result.exit_code, result.out, steady(result.err));
  };
  using std::filesystem::perms;
  const perms group_reads = perms::owner_read | perms::group_read;
  setenv("VANDRIL_LOOT_PASSWORD", "vandril_pw", 1);
  const auto without_line = run("", group_reads),
             over_wrong = run("password=wrong\n", perms::owner_read);
  unsetenv("VANDRIL_LOOT_PASSWORD");
  const auto from_file = run("password=wrong\n", group_reads);
  // clang-format off
  EXPECT_EQ(without_line, std::tuple(0, "Query Passed: 0 items match criteria\n", ""));
  EXPECT_EQ(over_wrong, without_line);
  EXPECT_EQ(from_file, std::tuple(2, "", "vandril_loot_cli: warning: " + ini + " holds a password and can be read by "
                                         "others than you (mode 440); chmod 600 " + ini + "\n" + refused_login(ini)));
  // clang-format on
}

// TLS and a port of its own: a second server on port 3307 of the test address,
// whose account requires TLS, with certificates made here by openssl, and
// which tells table names apart by case.
TEST(CommandLineConnection, TlsCheckedAgainstTheCaGiven) {
  const std::string dir = VL_TEST_DB_DIR "-tls", host = VL_TEST_DB_HOST, ini = dir + "/db.ini";
  const std::string test_db = "'" VL_SOURCE_DIR "/scripts/test-db' ";
  std::filesystem::remove_all(dir);
  const std::shared_ptr<void> stop(nullptr, [&](void*) { run_shell(test_db + "stop " + dir); });
  ASSERT_EQ(std::get<0>(run_shell("VL_DB_PORT=3307 VL_DB_TABLE_NAME_CASE=0 VL_DB_TLS_DIR=" + dir +
                                  "/certs VL_WORLD_SQL='" VL_SOURCE_DIR "/world/schema.sql' " +
                                  test_db + "start " + dir + " " + host)),
            0);
  const auto run = [&](const std::string& lines, const Args& options,
                       const Args& command = {"test-rules", "--rules", "1"}) {
    std::ofstream(ini) << "host=" << host << "\nuser=vandril\npassword=vandril_pw\ndatabase=world\n"
                       << lines;
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    const CliResult result = run_cli(Args{"--config", ini} + options + command);
    return std::tuple(result.exit_code, result.out, steady(result.err));
  };
  const std::string ca = dir + "/certs/ca.pem", passed = "Query Passed: 0 items match criteria\n";
  const std::string tried = "vandril_loot_cli: could not connect to " + host +
                            ":3307 as vandril (database world): "
                            "{server}";
  // clang-format off
  EXPECT_EQ(run("port=3307\nssl_ca=" + ca + "\n", {}), std::tuple(0, passed, ""));
  EXPECT_EQ(run("ssl=1\n", {"--port", "3307"}), std::tuple(0, passed, ""));
  EXPECT_EQ(run("port=3307\n", {}), std::tuple(2, "", "vandril_loot_cli: the server refused the login of vandril: "
                                                    "check user= and password= in " + ini + "\n"));
  EXPECT_EQ(run("ssl_ca=" + ca + "\n", {"--port", "3307", "--ssl-ca", dir + "/certs/other-ca.pem"}),
            std::tuple(2, "", tried + "TLS/SSL error: self-signed certificate in certificate chain\n"));
  // Table names told apart by case, as a Linux server does by default: the repair's capitals fail.
  const std::string by_case = "  the server tells table names apart by case (lower_case_table_names=0): the repair's "
                              "INSERT INTO ";
  EXPECT_EQ(run("ssl=1\n", {"--port", "3307"}, {"check"}), std::tuple(1, "NPCs with loottable 0 (what repair fixes): "
            "0\n" + kCleanChecks + "layout of lootdrop: differs\n" + by_case + "LOOTDROP is rejected\nlayout of "
            "lootdrop_entries: differs\n" + by_case + "LOOTDROP_ENTRIES is rejected\nlayout of loottable: differs\n" +
            by_case + "LOOTTABLE is rejected\nlayout of loottable_entries: differs\n" + by_case + "LOOTTABLE_ENTRIES is "
            "rejected\n", ""));
  // clang-format on
}

// Without XDG_DATA_HOME and HOME there is no journal, never one in the working
// folder: a write command refuses, one given --no-journal writes.
TEST(CommandLineJournal, WithoutAPlaceForTheJournalAWriteRefuses) {
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  std::map<std::string, std::string> saved;
  for (const char* name : {"VANDRIL_LOOT_JOURNAL", "XDG_DATA_HOME", "HOME"}) {
    if (const char* value = std::getenv(name)) saved[name] = value;
    unsetenv(name);
  }
  const Args generate = {kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "4", kYes};
  const CliResult refused = run_cli(generate), written = run_cli(Args{"--no-journal"} + generate);
  for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(std::tuple(refused.exit_code, refused.err, written.exit_code),
            std::tuple(1,
                       "vandril_loot_cli: the journal cannot be opened (there is no place for the "
                       "journal: neither XDG_DATA_HOME nor HOME names a folder); nothing was "
                       "written. Give --no-journal to write without one.\n",
                       0));
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "2");
}

std::string g9(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::vector<Texts> csv_rows(const std::string& text) {
  std::vector<Texts> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream cells(line + ",");
    for (std::string cell; std::getline(cells, cell, ',');) rows.back().push_back(cell);
  }
  return rows;
}

// simulate's records as "npc name level loottable p_any expected_items item:name:expected...",
// numbers to 9 digits: from its JSON (with its keys checked) and from its CSV.
Texts records_of_json(const std::string& text) {
  const Texts keys = {"npc_id", "npc_name",       "npc_level", "loottable_id",
                      "p_any",  "expected_items", "items"};
  Texts records;
  for (const auto& npc : nlohmann::ordered_json::parse(text)) {
    Texts seen;
    for (const auto& [key, value] : npc.items()) seen.push_back(key);
    EXPECT_EQ(Texts(seen.begin(), seen.begin() + 7), keys);
    std::string record = std::to_string(npc["npc_id"].get<long long>()) + " " +
                         npc["npc_name"].get<std::string>() + " " + npc["npc_level"].dump() + " " +
                         npc["loottable_id"].dump() + " " + g9(npc["p_any"]) + " " +
                         g9(npc["expected_items"]);
    for (const auto& item : npc["items"]) {
      EXPECT_EQ(item.size(), 3u);
      record += " " + item["item_id"].dump() + ":" + item["item_name"].get<std::string>() + ":" +
                g9(item["expected"]);
    }
    records.push_back(record);
  }
  return records;
}

Texts records_of_csv(const std::string& text) {
  const auto rows = csv_rows(text);
  EXPECT_EQ(rows.at(0), Texts({"npc_id", "npc_name", "npc_level", "loottable_id", "p_any",
                               "expected_items", "item_id", "item_name", "expected"}));
  Texts records;
  std::string npc;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Texts& row = rows[r];
    if (row[0] != npc) {
      npc = row[0];
      records.push_back(row[0] + " " + row[1] + " " + row[2] + " " + row[3] + " " +
                        g9(std::stod(row[4])) + " " + g9(std::stod(row[5])));
    }
    if (!row[6].empty())
      records.back() += " " + row[6] + ":" + row[7] + ":" + g9(std::stod(row[8]));
  }
  return records;
}

// The records with each fraction rounded to six significant digits, as CSV gives them.
Texts to_6_digits(Texts records) {
  static const std::regex kFraction("[0-9]+\\.[0-9]+");
  for (std::string& record : records) {
    std::string rounded;
    auto last = record.cbegin();
    for (std::sregex_iterator it(record.begin(), record.end(), kFraction), end; it != end; ++it) {
      char text[32];
      std::snprintf(text, sizeof text, "%.6g", std::stod(it->str()));
      rounded.append(last, (*it)[0].first).append(text);
      last = (*it)[0].second;
    }
    record = rounded.append(last, record.cend());
  }
  return records;
}

struct SimulateCase {
  const char* name;
  Texts world;
  Args args;
  Texts records;  // empty: `npcs` records, not compared
  std::size_t npcs = 0;
  std::string loot_multiplier = "1";
};

const std::string kFiveAt =
    " 1001:a:0.040951 1002:b:0.040951 1003:c:0.040951 1004:d:0.040951 1005:e:0.040951";
const Texts kBoundedDrop = {
    "ALTER TABLE lootdrop_entries ADD npc_min_level TINYINT NOT NULL DEFAULT 0",
    "INSERT INTO lootdrop (id) VALUES (2)", "INSERT INTO loottable_entries VALUES (1,2,1,100,0,0)",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance,npc_min_level) VALUES "
    "(2,1001,50,11)"};

// clang-format off
const SimulateCase kSimulateCases[] = {
  {"levels", kDropWorld, {"simulate", kLevels, "09-10"}, {"1 orc 10 1 0.204755 0.204755" + kFiveAt, "2 bat 10 0 0 0",
   "3 rat 9 9 0 0"}},
  // 1 - 0.795245^2; each item 2 x 0.040951.
  {"loot_multiplier_2", kDropWorld, {"simulate", "--npc", "1", "--loot-multiplier", "2"}, {"1 orc 10 1 0.36758539 "
   "0.40951 1001:a:0.081902 1002:b:0.081902 1003:c:0.081902 1004:d:0.081902 1005:e:0.081902"}, 0, "2"},
  // Mode A item 1001 at 0.5 for level 11 and up: 1 - 0.795245 x 0.5 for the imp, nothing more for the orc.
  {"npc_min_level", kDropWorld + kBoundedDrop, {"simulate", "--npc", "4,1"}, {"1 orc 10 1 0.204755 0.204755" + kFiveAt,
   "4 imp 50 1 0.6023775 0.704755 1001:a:0.540951 1002:b:0.040951 1003:c:0.040951 1004:d:0.040951 1005:e:0.040951"}},
  {"many_npcs", kDropWorld + Texts{"INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'x',11,1 FROM "
   "seq_100_to_399"}, {"simulate", kLevels, "0-255"}, {}, 304},
};
// clang-format on

TEST(Simulate, FiguresAsWorkedOutByHandFromOnlyFourSelects) {
  for (const SimulateCase& c : kSimulateCases) {
    SCOPED_TRACE(c.name);
    reset_world();
    for (const std::string& sql : c.world) fixture_sql(sql);
    for (const char* format : {"json", "csv"}) {
      GeneralLog log;
      const CliResult result = run_cli(c.args + Args{"--format", format});
      ASSERT_EQ(result.exit_code, 0) << result.err;
      EXPECT_EQ(result.err, std::regex_replace(kLeftOut, std::regex("multiplier 1"),
                                               "multiplier " + c.loot_multiplier));
      const Texts records =
          format == std::string("json") ? records_of_json(result.out) : records_of_csv(result.out);
      if (c.records.empty()) {
        EXPECT_EQ(records.size(), c.npcs);
      } else {
        // CSV gives six significant digits, JSON full precision.
        EXPECT_EQ(records, format == std::string("csv") ? to_6_digits(c.records) : c.records)
            << format;
      }
      const Texts sent = log.statement_texts();
      EXPECT_EQ(sent.size(), 4u);
      for (const std::string& sql : sent) EXPECT_TRUE(sql.starts_with("SELECT ")) << sql;
    }
  }
  // Kills rolled beside: within 5 standard errors of 0.204755 (copies per kill are 0 or 1 here).
  const CliResult rolled =
      run_cli({"simulate", "--npc", "1", "--kills", "20000", "--seed", "3", "--format", "json"});
  const auto npc = nlohmann::json::parse(rolled.out).at(0);
  EXPECT_NEAR(npc.at("observed_any").get<double>(), 0.204755,
              5 * std::sqrt(0.204755 * 0.795245 / 20000));
  EXPECT_EQ(npc.at("observed_items"), npc.at("observed_any"));
}

// A dry run's report: each drop's NPC before and after, and the new drop alone. The orc's window
// drop gives 0.204755; its new drop (chance 10, probability 50) 0.05: 1 - 0.795245 x 0.95 after.
// The rat's loottable 9 has no row: nothing drops, before or after.
TEST(Simulate, DryRunReportCarriesTheDropRates) {
  reset_world();
  for (const std::string& sql : kDropWorld) fixture_sql(sql);
  for (const std::string file : {VL_JOURNAL_DIR "/report.json", VL_JOURNAL_DIR "/report.csv"}) {
    const CliResult result =
        run_cli({kGen, kLevels, "01-10", "--category", "All LVL Misc", kAll, "101", kItems, "1",
                 "--seed", "5", "--dry-run", "--report", file});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    std::map<std::string, std::string> rates,
        expected = {{"1", "0.204755 0.24451725 0.05"}, {"3", "0 0 0"}};
    if (file.ends_with(".json")) {
      for (const auto& drop : nlohmann::json::parse(read_file(file)))
        rates[drop["npc_id"].dump()] =
            g9(drop["p_any_before"]) + " " + g9(drop["p_any_after"]) + " " + g9(drop["p_new_drop"]);
    } else {
      const auto rows = csv_rows(std::regex_replace(read_file(file), std::regex("\r"), ""));
      EXPECT_EQ(Texts(rows.at(0).end() - 5, rows.at(0).end()),
                Texts({"p_any_before", "p_any_after", "p_new_drop", "items_per_hour_new",
                       "loottable_copied_from"}));
      for (std::size_t r = 1; r < rows.size(); ++r) {
        const Texts& row = rows[r];
        // CSV cells carry 6 significant digits, as written.
        rates[row[2]] = row[row.size() - 5] + " " + row[row.size() - 4] + " " + row[row.size() - 3];
      }
    }
    if (file.ends_with(".csv")) expected["1"] = "0.204755 0.244517 0.05";
    EXPECT_EQ(rates, expected) << file;
  }
}

// --atomic losing its connection: in a batch the server rolls back and nothing
// stays (exit 2); during COMMIT all of the run or none of it stays (exit 5). The
// window's way keeps what it wrote (exit 3). The journal names the outcome.
TEST(AtomicConnectionLost, NothingOrAllOfTheRunStays) {
  const struct {
    const char* cut_on;
    int exit_code;
    std::string message;
    Texts rows, outcome;
    bool atomic = true;
  } cases[] = {
      // clang-format off
      {"INSERT INTO loottable_entries", 2,  // the last batch, small enough to go uncompressed
       "The connection to the server was lost before COMMIT: the server rolls the transaction "
       "back, nothing of the run was written.\n",
       {"0/0/0"}, {"interrupted"}},
      {"COMMIT", 5,
       "The connection to the server was lost during COMMIT: either all of the run was written or "
       "none of it. To find out, run `vandril_loot_cli check`, or count the run's lootdrops: "
       "SELECT COUNT(*) FROM lootdrop WHERE name = 'lvl_01-10_CUSTOM_armour' (compare with the "
       "count before the run).\n",
       {"0/0/0", "2/4/2"}, {"commit unknown"}},
      {"INSERT INTO loottable_entries", 3,
       "The database rejected a statement, and the command was stopped.\n\n", {"1/2/1"},
       {"interrupted"}, false},
  };  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cut_on);
    reset_world();
    fixture_sql(kArmours);
    fixture_sql(kNpcs);
    const Args generate = {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--seed", "3", kYes};
    const CliResult result = [&] {
      const Relay relay("0", c.cut_on);
      return CliProcess(generate + Args{c.atomic ? "--atomic" : kWin}, "", "", VL_RELAY_HOST)
          .wait();
    }();
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_EQ(result.err.substr(0, c.message.size()), c.message) << result.err;
    const std::string rows = fixture_value(
        "SELECT CONCAT((SELECT COUNT(*) FROM lootdrop),'/',(SELECT COUNT(*) FROM "
        "lootdrop_entries),'/',COUNT(*)) FROM loottable_entries");
    EXPECT_NE(std::ranges::find(c.rows, rows), c.rows.end()) << rows;
    const std::string history = run_cli({"history", "--format", "json"}).out;
    const auto outcome = history.find(R"("outcome":")") + 11;
    EXPECT_EQ(Texts{history.substr(outcome, history.find('"', outcome) - outcome)}, c.outcome);
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
    app::run_command(state, ui, loot::Command2_Click, [](int) { FAIL(); });
    ASSERT_EQ(ui.messages.back(), "Completed!");
  }
  const Texts window = sent_since(window_log);

  a_world();
  GeneralLog cli_log;
  const CliResult result = run_cli({"generate", "--window-way", "--yes", "--levels", "11-20",
                                    "--category", "Weapon", "--npc-percent", "101", "--chance",
                                    "12.5", "--probability", "40", "--items", "3", "--seed", "99"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(sent_since(cli_log), window);
  ASSERT_EQ(window.size(), 14u);  // item and NPC queries, two drops of five statements
  EXPECT_EQ(window[0],
            "0: SELECT id from items WHERE ( itemtype=1 OR itemtype=2 OR itemtype=3 OR "
            "itemtype=4 OR itemtype=5 OR itemtype=45 OR itemtype=7 OR itemtype=0 OR "
            "itemtype=19 OR itemtype=35)");
  EXPECT_EQ(window[13], "4: INSERT INTO loottable_entries values (8,42,1,40,1,0)");
}

// A full disk (here the file size limit, whose signal the program ignores) or
// another failure while writing leaves the file as it was and no temporary file
// beside it.
TEST(CommandLineFiles, AFileNotWrittenWholeIsLeftAsItWas) {
  const std::string folder = VL_JOURNAL_DIR "/full_disk";
  for (const char* option : {"--sql", "--report", "--plan"}) {
    SCOPED_TRACE(option);
    a_world();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = folder + (option == std::string("--sql") ? "/plan.sql" : "/plan.json");
    std::ofstream(path) << "before";
    rlimit limit{}, small{};
    getrlimit(RLIMIT_FSIZE, &limit);
    small = {256, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    CliProcess run({kGen, kLevels, "11-20", "--category", "Weapon", kAll, "101", kItems, "1",
                    "--dry-run", option, path});
    setrlimit(RLIMIT_FSIZE, &limit);
    const CliResult result = run.wait();
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("vandril_loot_cli: " + std::string(option) + " " + path +
                              " could not be written (File too large); it was left as it was.\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(path), "before");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  }
}

// A CSV cell never begins like a formula; a name holding the list's ';' is quoted.
TEST(CommandLineFiles, ReportCellsAreNeverFormulas) {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'=x',1),(1002,'a;b\"',1)");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'-2+3',12,7)");
  const std::string report = VL_JOURNAL_DIR "/report.csv";
  const CliResult result = run_cli({kGen, kLevels, "11-20", "--category", "Weapon", kAll, "101",
                                    kItems, "2", "--seed", "3", "--dry-run", "--report", report});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(std::regex_replace(read_file(report), std::regex("\n[0-9TZ:-]+,"), "\n{time},"),
            "time,seed,npc_id,npc_name,npc_level,loottable_id,lootdrop_id,lootdrop_name,item_ids,"
            "item_names,probability,chance,target,p_any_before,p_any_after,p_new_drop,"
            "items_per_hour_new,loottable_copied_from\r\n{time},3,1,'-2+3,12,7,1,"
            "lvl_11-20_CUSTOM_weapon,1002;1001,\"\"\"a;b\"\"\"\"\"\";=x\",50,10,,0,0,0,0,\r\n");
}

// A report that cannot be put in place after COMMIT: the run stays written and
// its journal says so.
TEST(CommandLineFiles, AReportLostAfterCommitLeavesTheRunCompleted) {
  const std::string journal = VL_JOURNAL_DIR "/report_lost.sqlite3",
                    report = VL_JOURNAL_DIR "/report_lost.json";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(journal + suffix);
  std::filesystem::remove_all(report);
  reset_world();
  fixture_sql(kArmours);
  fixture_sql(kNpcs);
  // A folder put in the report's place once the run has begun: renaming over it fails.
  fixture_sql("LOCK TABLES lootdrop WRITE");
  CliProcess run(journaled(journal, {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--atomic",
                                     kYes, "--report", report}));
  while (fixture_value("SELECT COUNT(*) FROM information_schema.processlist WHERE state LIKE "
                       "'Waiting for table%lock'") == "0")
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::filesystem::create_directories(report + "/in_the_way");
  fixture_sql("UNLOCK TABLES");
  const CliResult result = run.wait();
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_EQ(steady(result.err), kSeed + "vandril_loot_cli: --report " + report +
                                    " could not be written (Is a directory); it was left as it "
                                    "was.\n");
  EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), "2");
  EXPECT_NE(run_cli(journaled(journal, {"history", "--format", "json"}))
                .out.find(R"("outcome":"completed")"),
            std::string::npos);
}

// The journal is its owner's only; an older one is brought up to date whole,
// its ids never to come again.
TEST(JournalFile, IsPrivateAndAnOlderOneIsMigrated) {
  const std::string folder = VL_JOURNAL_DIR "/private", journal = folder + "/journal.sqlite3";
  std::filesystem::remove_all(folder);
  // Reading makes nothing; the first write command makes the folder and the file.
  EXPECT_EQ(run_cli(journaled(journal, {"history"})).exit_code, 1);
  EXPECT_FALSE(std::filesystem::exists(folder));
  ASSERT_EQ(run_cli(journaled(journal, {"delete", "--levels", "01-10", "--yes"})).exit_code, 0);
  struct stat made {};
  EXPECT_EQ((stat(folder.c_str(), &made), made.st_mode & 0777), 0700u);
  EXPECT_EQ((stat(journal.c_str(), &made), made.st_mode & 0777), 0600u);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  make_first_journal(
      journal,
      "INSERT INTO runs (id,started,command,outcome) VALUES (3,'t','delete','completed');"
      "INSERT INTO rows VALUES (8,3,'deleted','lootdrop','id',5,0)");
  const CliResult history = run_cli(journaled(journal, {"history", "--format", "json"}));
  EXPECT_NE(
      history.out.find(R"("command":"delete","id":3,"outcome":"completed","range":"","rows":1,)"),
      std::string::npos)
      << history.out;
  EXPECT_EQ(journal_value(journal,
                          "SELECT GROUP_CONCAT(name || ' ' || (sql LIKE '%AUTOINCREMENT%')) FROM "
                          "(SELECT * FROM sqlite_master WHERE type='table' ORDER BY name)"),
            "rows 1,runs 1,sqlite_sequence 0,vals 0");
}

// The ids record gives back are those of the rows it stored, also past the
// rows it adds many to a statement: confirming the 64th and the 70th confirms those alone.
TEST(JournalFile, RecordGivesTheIdsOfItsRows) {
  const std::string path = fresh_journal("record_ids");
  journal::Store store(path);
  journal::RunInfo info;
  info.started = "t";
  const std::int64_t run = store.begin_run(info);
  std::vector<journal::Row> rows;
  for (int i = 1; i <= 70; ++i)
    rows.push_back(
        {journal::RowKind::inserted, "lootdrop", {"id"}, {journal::Value(std::int64_t{i})}});
  const auto ids = store.record(run, rows);
  ASSERT_EQ(ids.size(), 70u);
  store.record(run, {}, {ids[63], ids[69]});
  // The rows of one statement share a journal row, never with another's.
  const auto shared = store.record_each(run, 3, [](std::size_t i, journal::StoredRow& row) {
    row = {journal::RowKind::inserted,
           "lootdrop",
           {"id"},
           {journal::Value(std::int64_t(i + 1))},
           true,
           i / 2};
  });
  store.record(run, {}, {shared[0]});
  EXPECT_EQ(journal_value(path,
                          "SELECT GROUP_CONCAT(v) FROM vals JOIN rows ON rows.id=vals.row "
                          "WHERE uncertain=0"),
            "64,70,1,2");
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
  std::string sql_mode = "";          // the server's global sql_mode for the row
};

const std::string kChanged =
    "UPDATE lootdrop_entries SET chance=99 WHERE lootdrop_id=2 AND item_id=1002";
const std::string kConflict =
    "conflict: lootdrop_entries (2,1002,1,1,10,0,127,1) is no longer as the run wrote it.\n";
const std::string kEntries = "SELECT COUNT(*) FROM lootdrop_entries";
const std::string kNearly = "UPDATE lootdrop_entries SET chance=",
                  kOfOneEntry = " WHERE lootdrop_id=2 AND item_id=1002";
const Args kGenerate = {kGen,  kWin,   kYes, kLevels,  "01-10", kAll,
                        "101", kItems, "2",  "--seed", "5"};
const Args kUndo = {"undo", "1", "--yes"};
// Drops deleted, then others written under their ids: undoing the deletion grafts nothing.
const std::vector<Args> kDeleteAndRegenerate = {
    {"delete", kLevels, "01-10", "--yes"},
    {kGen, kWin, kYes, kLevels, "01-10", kAll, "101", kItems, "2", "--chance", "20"}};
const std::string kTaken =
    "conflict: lootdrop id 1 is taken; lootdrop (1,'lvl_01-10_CUSTOM_armour') cannot be put "
    "back.\nconflict: lootdrop id 2 is taken; lootdrop (2,'lvl_01-10_CUSTOM_armour') cannot be put "
    "back.\n";
const Texts kManyDrops = {
    "INSERT INTO items (id,name,itemtype) SELECT seq,'i',10 FROM seq_1001_to_1003",
    "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq FROM seq_1_to_1300"};
const Args kManyDropsAtomic = {kGen, kLevels, "01-10", kAll, "101", kItems, "3", "--atomic", kYes};
const std::string kNewEntries = "SELECT CONCAT(COUNT(*),'/',SUM(chance=20)) FROM lootdrop_entries";
// 70 loottables of the range, each shared with an NPC outside it, all linking lootdrop 11: the
// copies' entries are many rows under one lootdrop.
const Texts kOneDropManyTables = {
    kArmours,
    "INSERT INTO lootdrop (id,name) VALUES (11,'old')",
    "INSERT INTO loottable (id,name) SELECT seq,'t' FROM seq_1_to_70",
    "INSERT INTO loottable_entries (loottable_id,lootdrop_id,probability) SELECT seq,11,seq FROM "
    "seq_1_to_70",
    "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq FROM seq_1_to_70",
    "INSERT INTO npc_types (id,name,level,loottable_id) SELECT 100+seq,'o',50,seq FROM "
    "seq_1_to_70"};

// clang-format off
const UndoRow kUndoRows[] = {
  {"generate", {kArmours, kNpcs}, kGenerate, "", kUndo, 0, "undone=1 statements=3 skipped=0\n", ""},
  {"generate_atomic", {kArmours, kNpcs}, {kGen, kLevels, "01-10", kAll, "101", kItems, "2", "--atomic", kYes}, "", kUndo, 0,
   "undone=1 statements=3 skipped=0\n", ""},
  {"delete", {"INSERT INTO lootdrop (id,name) VALUES (5,'lvl_01-10_CUSTOM_armour'),(6,'lvl_11-20_CUSTOM_armour')",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (5,1,12.345678),(6,1,1)",
    "INSERT INTO loottable_entries (loottable_id,lootdrop_id) VALUES (9,5)"}, {"delete", kLevels, "01-10", "--yes"},
   "", kUndo, 0, "undone=1 statements=3 skipped=0\n", ""},
  {"repair", {kBat, "INSERT INTO items (id,name) VALUES (1003,'cloth cap')"}, {"repair", "--yes"}, "",
   {"undo", "1", "--yes", "--format", "json"}, 0, R"({"undone":1,"statements":5,"skipped":0})" "\n", ""},
  {"dry_run_json", {kArmours, kNpcs}, kGenerate, "", {"--format", "json", "undo", "1", "--dry-run"}, 0,
   R"j({"run":1,"statements":["DELETE FROM `loottable_entries` WHERE `lootdrop_id` IN (1,2)","DELETE FROM )j"
   R"j(`lootdrop_entries` WHERE `lootdrop_id` IN (1,2)","DELETE FROM `lootdrop` WHERE `id` IN (1,2)"]})j" "\n", "",
   kEntries, "4"},
  {"show_json", {kArmours, kOneNpc}, {kGen, kWin, kYes, kLevels, "01-10", kAll, "101", kItems, "1", "--seed", "5"}, "",
   {"show", "1", "--format", "json"}, 0, R"({"id":1,"command":"generate","database":")" VL_TEST_DB_NAME
   R"(","host":")" VL_TEST_DB_HOST R"(","started":"{time}","ended":"{time}","settings":{"atomic":false,)"
   R"("category":"armour","chance":"10","isolate_shared":false,"items":"1","levels":"01-10","npc_percent":"101",)"
   R"("probability":"50","rules":"","seed":5},"outcome":"completed","undoable":true,)"
   R"("rows":[{"kind":"inserted","table":"lootdrop","columns":["id","name"],"values":[1,"lvl_01-10_CUSTOM_armour"],)"
   R"("uncertain":false},{"kind":"inserted","table":"lootdrop_entries","columns":["lootdrop_id","item_id",)"
   R"("item_charges","equip_item","chance","minlevel","maxlevel","multiplier"],"values":[1,1002,1,1,10.0,0,)"
   R"(127,1],"uncertain":false},{"kind":"inserted","table":"loottable_entries","columns":["loottable_id",)"
   R"("lootdrop_id","multiplier","probability","droplimit","mindrop"],"values":[77,1,1,50.0,1,0],)"
   R"("uncertain":false}]})" "\n", "", kEntries, "1"},
  {"isolate_shared", kSharedWorld, kIsolate + Args{"--atomic", kYes}, "", kUndo, 0, "undone=1 statements=6 skipped=0\n", ""},
  // Names holding the journal's former separators: the copy of lt2 would have read back as a row of
  // loottable 900, which NPC 11 uses; the NUL cut a name short.
  {"isolate_shared_name_with_separators", kSharedWorld + Texts{"UPDATE loottable SET name=CONCAT('lt2',X'1E','900',"
   "X'1F','1') WHERE id=2", "INSERT INTO loottable (id,name,mincash) VALUES (900,'1 [lvl_01-10]''',20)",
   "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (11,'far',50,900)"}, kIsolate + Args{"--atomic", kYes},
   "", {"undo", "1", "--force", kYes}, 0, "undone=1 statements=6 skipped=0\n", ""},
  {"delete_names_with_separator_and_nul", {kArmours, "INSERT INTO lootdrop (id,name) VALUES (1,CONCAT("
   "'lvl_01-10_CUSTOM_a',X'1F','b')),(2,CONCAT('lvl_01-10_CUSTOM_armou',X'00','r'))", "INSERT INTO lootdrop_entries "
   "(lootdrop_id,item_id,chance) VALUES (1,1001,5),(2,1002,6)", "INSERT INTO loottable_entries (loottable_id,"
   "lootdrop_id) VALUES (9,1),(9,2)"}, {"delete", kLevels, "01-10", kYes}, "", kUndo, 0,
   "undone=1 statements=3 skipped=0\n", ""},
  {"isolate_shared_one_drop_many_tables", kOneDropManyTables, kIsolate + Args{"--atomic", kYes}, "", kUndo, 0,
   "undone=1 statements=6 skipped=0\n", ""},
  {"isolate_shared_copied_entry_changed", kOneDropManyTables, kIsolate + Args{"--atomic", kYes}, "UPDATE "
   "loottable_entries SET probability=7 WHERE loottable_id=75 AND lootdrop_id=11", {"undo", "1", "--force", kYes}, 0,
   "undone=1 statements=8 skipped=1\n", "conflict: loottable_entries (75,11,1,5,0,0) is no longer as the run wrote it.\n",
   "SELECT GROUP_CONCAT(loottable_id,':',probability) FROM loottable_entries WHERE loottable_id>70", "75:7"},
  // The NPCs pointed back in one statement, the copies' entries by their loottables.
  {"isolate_shared_dry_run", kSharedWorld, kIsolate + Args{"--atomic", kYes}, "", {"undo", "1", "--dry-run"}, 0,
   "UPDATE npc_types SET loottable_id=CASE id WHEN 3 THEN 2 WHEN 5 THEN 3 WHEN 8 THEN 3 END WHERE id IN (3,5,8)\n"
   "DELETE FROM `lootdrop_entries` WHERE `lootdrop_id` BETWEEN 14 AND 16\nDELETE FROM `lootdrop` WHERE `id` BETWEEN 14 "
   "AND 16\nDELETE FROM `loottable_entries` WHERE `lootdrop_id` BETWEEN 14 AND 16\nDELETE FROM `loottable_entries` "
   "WHERE `loottable_id` IN (5,6)\nDELETE FROM `loottable` WHERE `id` IN (5,6)\n", "", "SELECT COUNT(*) FROM loottable",
   "6"},
  {"isolate_shared_npc_moved_since", kSharedWorld, kIsolate + Args{"--atomic", kYes}, "UPDATE npc_types SET loottable_id=4 "
   "WHERE id=8", kUndo, 1, "", "conflict: NPC 8 now has loottable 4, the run gave it 6.\n1 conflicts; nothing was "
   "changed (--force skips them).\n", "SELECT COUNT(*) FROM loottable", "6"},
  {"isolate_shared_copy_linked_since", kSharedWorld, kIsolate + Args{"--atomic", kYes}, "INSERT INTO loottable_entries "
   "(loottable_id,lootdrop_id) VALUES (5,12)", kUndo, 1, "", "conflict: loottable 5 holds 1 links the run did not "
   "make.\n1 conflicts; nothing was changed (--force skips them).\n", "SELECT COUNT(*) FROM loottable", "6"},
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
  // Put back byte for byte: the name reaches the server as data, never as SQL.
  {"name_under_no_backslash_escapes", {"INSERT INTO lootdrop (id,name) VALUES "
    "(5,CONCAT('lvl_01-10x''),(99,(SELECT CURRENT_USER()))#',CHAR(92)))",
    "INSERT INTO lootdrop_entries (lootdrop_id,item_id,chance) VALUES (5,1,12.5)"},
   {"delete", kLevels, "01-10", "--yes"}, "", kUndo, 0, "undone=1 statements=2 skipped=0\n", "", "", "", 1, "", {},
   "STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES"},
  {"delete_of_regenerated_drops_refused", {kArmours, kNpcs}, kGenerate, "", {"undo", "2", "--yes"}, 1, "",
   kTaken + "2 conflicts; nothing was changed (--force skips them).\n", kNewEntries, "4/4", 1, "", kDeleteAndRegenerate},
  {"delete_of_regenerated_drops_forced", {kArmours, kNpcs}, kGenerate, "", {"undo", "2", "--yes", "--force"}, 0,
   "undone=2 statements=0 skipped=2\n", kTaken, kNewEntries, "4/4", 1, "", kDeleteAndRegenerate},
  // More rows than undo takes from the journal at once: each drop's entries are judged whole together,
  // and the drops' consecutive ids are removed by one range a table.
  {"atomic_run_of_many_drops", kManyDrops, kManyDropsAtomic, "", kUndo, 0, "undone=1 statements=3 skipped=0\n", ""},
  {"atomic_run_of_many_drops_dry_run", kManyDrops, kManyDropsAtomic, "", {"undo", "1", "--dry-run"}, 0,
   "DELETE FROM `loottable_entries` WHERE `lootdrop_id` BETWEEN 1 AND 1300\nDELETE FROM `lootdrop_entries` WHERE "
   "`lootdrop_id` BETWEEN 1 AND 1300\nDELETE FROM `lootdrop` WHERE `id` BETWEEN 1 AND 1300\n", "",
   "SELECT COUNT(*) FROM lootdrop", "1300"},
  {"table_without_rollback_refused", {kArmours, kNpcs}, kGenerate, "ALTER TABLE lootdrop_entries ENGINE=MyISAM", kUndo,
   1, "", "Table lootdrop_entries uses the MyISAM engine, which cannot roll back: the undo could not be all or "
   "nothing. Nothing was changed.\n", kEntries, "4"},
};
// clang-format on

void PrintTo(const UndoRow& row, std::ostream* out) { *out << row.name; }

class Undo : public ::testing::TestWithParam<UndoRow> {};

TEST_P(Undo, RestoresTheWorldOrListsTheConflicts) {
  const UndoRow& row = GetParam();
  const std::string journal = fresh_journal("undo_" + std::string(row.name));
  reset_world();
  for (const std::string& sql : row.world) fixture_sql(sql);
  const auto before = world_checksums();
  if (!row.sql_mode.empty()) set_global_sql_mode(row.sql_mode);
  const struct DefaultMode {
    ~DefaultMode() { set_global_sql_mode(""); }
  } default_mode;
  ASSERT_EQ(run_cli(journaled(journal, row.command)).exit_code, 0);
  for (const Args& command : row.then) ASSERT_EQ(run_cli(journaled(journal, command)).exit_code, 0);
  if (!row.between.empty()) fixture_sql(row.between);
  CliResult result;
  for (int undo = 0; undo < row.undos; ++undo)
    result = CliProcess(journaled(journal, row.undo), "", "", row.host).wait();
  EXPECT_EQ(result.exit_code, row.exit_code);
  EXPECT_EQ(steady(result.out), row.out);
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
  Texts sent = {};  // when given: the undo's statements from START TRANSACTION on
};

const std::string kFirstDelete = "DELETE FROM `loottable_entries`";
const std::string kColumnsOf =
                      "SELECT COLUMN_NAME,DATA_TYPE,CHARACTER_MAXIMUM_LENGTH FROM "
                      "information_schema.COLUMNS WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME=X'",
                  kInOrder = "' ORDER BY ORDINAL_POSITION";
// With --yes nobody is asked: the world is read once, locked, inside the transaction.
const Texts kReadOnceLocked = {
    "START TRANSACTION",
    kColumnsOf + "6C6F6F747461626C655F656E7472696573" + kInOrder,
    kColumnsOf + "6C6F6F7464726F705F656E7472696573" + kInOrder,
    kColumnsOf + "6C6F6F7464726F70" + kInOrder,
    "SELECT `id`,`name` FROM `lootdrop` WHERE `id` IN (1,2) FOR UPDATE",
    "SELECT `lootdrop_id`,`item_id`,`item_charges`,`equip_item`,CAST(`chance` AS DOUBLE) AS "
    "`chance`,`minlevel`,`maxlevel`,`multiplier` FROM `lootdrop_entries` WHERE `lootdrop_id` IN "
    "(1,2) FOR UPDATE",
    "SELECT `loottable_id`,`lootdrop_id`,`multiplier`,CAST(`probability` AS DOUBLE) AS "
    "`probability`,`droplimit`,`mindrop` FROM `loottable_entries` WHERE `lootdrop_id` IN (1,2) "
    "FOR UPDATE",
    "DELETE FROM `loottable_entries` WHERE `lootdrop_id` IN (1,2)",
    "DELETE FROM `lootdrop_entries` WHERE `lootdrop_id` IN (1,2)",
    "DELETE FROM `lootdrop` WHERE `id` IN (1,2)",
    "COMMIT"};

// clang-format off
const SlowUndoRow kSlowUndoRows[] = {
  {"ctrl_c_in_its_transaction", kFirstDelete, "", 130, "",
   "Stopped by Ctrl+C: the undo was rolled back; nothing was changed.\n", kEntries, "4", "completed"},
  {"ctrl_c_after_commit", "COMMIT", "", 0, "undone=1 statements=3 skipped=0\n", "", kEntries, "0", "completed, undone",
   kReadOnceLocked},
  // With --yes the rows are read once, locked: a row added waits for the COMMIT and stays.
  {"entry_added_while_locked", kFirstDelete, "INSERT INTO lootdrop_entries (lootdrop_id,item_id) VALUES (1,1003)", 0,
   "undone=1 statements=3 skipped=0\n", "", "SELECT GROUP_CONCAT(lootdrop_id,':',item_id) FROM lootdrop_entries",
   "1:1003", "completed, undone"},
};
// clang-format on

void PrintTo(const SlowUndoRow& row, std::ostream* out) { *out << row.name; }

class SlowUndo : public ::testing::TestWithParam<SlowUndoRow> {};

TEST_P(SlowUndo, HoldsWhatItCheckedAndEndsWhole) {
  const SlowUndoRow& row = GetParam();
  const std::string journal = fresh_journal("slow_undo_" + std::string(row.name));
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
  if (!row.sent.empty()) {
    const Texts all = log.statement_texts();
    EXPECT_EQ(Texts(std::find(all.begin(), all.end(), "START TRANSACTION"), all.end()), row.sent);
  }
  const CliResult history = run_cli(journaled(journal, {"history", "--format", "json"}));
  EXPECT_NE(history.out.find(R"("outcome":")" + row.outcome + "\""), std::string::npos)
      << history.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, SlowUndo, ::testing::ValuesIn(kSlowUndoRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A run stopped by Ctrl+C (or SIGTERM, or SIGHUP of a lost terminal) says what
// it wrote; one killed leaves an unfinished run in the journal. All are undone whole.
TEST(InterruptedRuns, CtrlCReportsWhatStaysAndAKilledRunIsUndoneWhole) {
  const std::string journal = fresh_journal("undo_killed");
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'i',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',5,seq FROM "
      "seq_1_to_20000");
  const auto before = world_checksums();
  int run_id = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    ++run_id;
    const std::string folder = VL_JOURNAL_DIR "/interrupted", report = folder + "/drops.csv";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    CliProcess run(journaled(journal, {kGen, kWin, kYes, kLevels, "01-10", kItems, "1", kAll, "101",
                                       "--report", report}));
    // A run that ends before writing fails the test instead of hanging it.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::stoi(fixture_value("SELECT COUNT(*) FROM loottable_entries")) < 5)
      ASSERT_LT(std::chrono::steady_clock::now(), limit) << "the run wrote nothing";
    // Stopped, it still holds its run: undo refuses it, history and show still read.
    const std::string id = std::to_string(run_id);
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
    EXPECT_EQ(result.exit_code, signal == SIGKILL ? 128 + SIGKILL : 130);
    EXPECT_FALSE(std::filesystem::exists(report));  // never a part of the report
    if (signal != SIGKILL) {
      EXPECT_TRUE(std::filesystem::is_empty(folder));
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
  const std::string journal = fresh_journal("undo_stopped_delete");
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

// --isolate-shared on a world whose loottables are shared inside the range only, across its border
// and by NPCs of several ranges, in each layout: what the range's NPCs reach is what they reach
// without the option, nothing new reaches an NPC outside, the copies hold their originals' entries
// plus the new link, the originals and the NPCs outside stay as they were; the dry run's script
// writes the same tables, and undo puts them all back.
struct IsolateRow {
  const char* name;
  Texts layout;       // statements after the world is made
  std::string named;  // the copies (id:name:columns of the layout) afterwards
};

const std::string kReachedByRange =
    "SELECT GROUP_CONCAT(n.id,':',e.lootdrop_id ORDER BY n.id,e.lootdrop_id) FROM npc_types n JOIN "
    "loottable_entries e ON e.loottable_id=n.loottable_id JOIN lootdrop d ON d.id=e.lootdrop_id "
    "AND d.name "
    "LIKE 'lvl%' WHERE n.level ";
// The entries of loottables named `names`, by name without the range's mark, the new links left
// out.
std::string old_entries(const std::string& names) {
  return fixture_value(
      "SELECT GROUP_CONCAT(REPLACE(t.name,' "
      "[lvl_01-10]',''),':',e.lootdrop_id,':',e.multiplier,':',e.probability,"
      "':',e.droplimit,':',e.mindrop ORDER BY t.name,e.lootdrop_id) FROM loottable t JOIN "
      "loottable_entries e ON e.loottable_id=t.id "
      "WHERE e.lootdrop_id<14 AND t.name IN (" +
      names + ")");
}
// CHECKSUM TABLE of the loottables there were, the entries of those that are shared or outside (1
// gets the new link itself), and the NPCs outside the range.
std::string untouched_sums() {
  std::string sums;
  for (const char* copy :
       {"loottable WHERE id<=4", "loottable_entries WHERE loottable_id IN (2,3,4)",
        "npc_types WHERE level>10"}) {
    fixture_sql("DROP TABLE IF EXISTS kept");
    fixture_sql(std::string("CREATE TABLE kept AS SELECT * FROM ") + copy);
    sums += fixture_rows("CHECKSUM TABLE kept").at(0).at(1) + ";";
  }
  fixture_sql("DROP TABLE kept");
  return sums;
}

class IsolateShared : public ::testing::TestWithParam<IsolateRow> {};

TEST_P(IsolateShared, TheRangeAloneGetsTheDrops) {
  const IsolateRow& row = GetParam();
  const std::string journal = fresh_journal("isolate_" + std::string(row.name));
  const auto make_world = [&] {
    reset_world();
    for (const std::string& sql : kSharedWorld) fixture_sql(sql);
    for (std::string rest : row.layout)  // one statement a line
      for (std::size_t end = 0; !rest.empty();
           rest.erase(0, end == std::string::npos ? end : end + 2))
        fixture_sql(rest.substr(0, end = rest.find(";\n")));
  };
  make_world();
  // Without the option the border's and the other ranges' NPCs get the drops too.
  ASSERT_EQ(run_cli({"--no-journal", kGen, kLevels, "01-10", kAll, "101", kItems, "1", "--seed",
                     "3", "--atomic", kYes})
                .exit_code,
            0);
  EXPECT_EQ(fixture_value(kReachedByRange + ">10"), "4:15,6:16,7:16");
  const std::string without = fixture_value(kReachedByRange + "<=10");
  ASSERT_EQ(without, "1:14,2:14,3:15,5:16,8:16");

  make_world();
  const std::string before = world_checksums(), untouched = untouched_sums();
  const std::string script = ::testing::TempDir() + "isolate.sql";
  const std::string report = VL_JOURNAL_DIR "/isolate.json",
                    plan = VL_JOURNAL_DIR "/isolate_plan.json";
  ASSERT_EQ(
      run_cli(kIsolate + Args{"--dry-run", "--sql", script, "--report", report, "--plan", plan})
          .exit_code,
      0);
  EXPECT_EQ(world_checksums(), before);
  std::string copied_from;
  for (const auto& drop : nlohmann::json::parse(read_file(report)))
    copied_from += drop["npc_id"].dump() + ":" + drop["loottable_copied_from"].dump() + " ";
  EXPECT_EQ(copied_from, "1:null 3:2 5:3 ");
  ASSERT_EQ(run_cli(journaled(journal, kIsolate + Args{"--atomic", kYes})).exit_code, 0);
  EXPECT_EQ(fixture_value(kReachedByRange + ">10"), "NULL");
  EXPECT_EQ(fixture_value(kReachedByRange + "<=10"), without);
  EXPECT_EQ(old_entries("'lt2','lt3'"), "lt2:11:1:90:1:0,lt3:12:2:50:1:0,lt3:13:1:25:0:1");
  EXPECT_EQ(old_entries("'lt2 [lvl_01-10]','lt3 [lvl_01-10]'"), old_entries("'lt2','lt3'"));
  EXPECT_EQ(
      fixture_value(
          "SELECT GROUP_CONCAT(loottable_id,':',lootdrop_id ORDER BY 1) FROM loottable_entries "
          "WHERE lootdrop_id>=14"),
      "1:14,5:15,6:16");
  EXPECT_EQ(fixture_value(row.named), "5:lt2 [lvl_01-10]:20:1,6:lt3 [lvl_01-10]:30:1");
  EXPECT_EQ(untouched_sums(), untouched);
  const std::string written = world_checksums();

  const DbSettings& db = db_settings();
  make_world();
  EXPECT_EQ(std::get<0>(run_shell("mariadb --no-defaults -h " + db.host + " -u " + db.user + " -p" +
                                  db.password + " " + db.name + " < " + script)),
            0);
  EXPECT_EQ(world_checksums(), written);
  EXPECT_EQ(run_cli(journaled(journal, {"undo", "1", "--yes"})).exit_code, 0);
  // The script stops before any row once another loottable was written.
  fixture_sql("INSERT INTO loottable (id) VALUES (50)");
  const std::string added = world_checksums();
  EXPECT_NE(std::get<2>(run_shell("mariadb --no-defaults -h " + db.host + " -u " + db.user + " -p" +
                                  db.password + " " + db.name + " < " + script))
                .find("The highest loottable id is no longer 4: the loottable copies were planned "
                      "on another state of the world. Nothing was written."),
            std::string::npos);
  EXPECT_EQ(world_checksums(), added);
  fixture_sql("DELETE FROM loottable WHERE id=50");
  EXPECT_EQ(world_checksums(), before);
  // The saved plan writes what the atomic run wrote, and its undo takes it all back.
  ASSERT_EQ(run_cli(journaled(journal, {"apply", plan, kYes})).exit_code, 0);
  EXPECT_EQ(world_checksums(), written);
  EXPECT_EQ(run_cli(journaled(journal, {"undo", "2", kYes})).exit_code, 0);
  EXPECT_EQ(world_checksums(), before);
}

// clang-format off
const IsolateRow kIsolateRows[] = {
  {"window_layout", {"UPDATE loottable SET avgcoin=1"},
   "SELECT GROUP_CONCAT(id,':',name,':',mincash,':',avgcoin ORDER BY id) FROM loottable WHERE id>4"},
  {"extended_layout", {std::string(world::kExtendedLayoutSql), "UPDATE loottable SET done=1"},
   "SELECT GROUP_CONCAT(id,':',name,':',mincash,':',done ORDER BY id) FROM loottable WHERE id>4"},
};
// clang-format on

void PrintTo(const IsolateRow& row, std::ostream* out) { *out << row.name; }

INSTANTIATE_TEST_SUITE_P(Layouts, IsolateShared, ::testing::ValuesIn(kIsolateRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vl::test
