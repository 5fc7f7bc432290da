#pragma once
// One engine for the commands that reach the world database. A row names the
// rows seeded, the command and its settings, a fault, and what must come out:
// the exact statements in order (from the general query log), the rows after,
// the messages shown and the main window's state. Run a table of rows with
// INSTANTIATE_TEST_SUITE_P(Name, Scenario, ValuesIn(rows), scenario_name).

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/window/custom_list_handlers.h"
#include "app/window/rules_handlers.h"
#include "support/test_db.h"

namespace vl::test {

// The rules and the custom item list windows' controls, for their handlers.
struct Controls : rules::RulesControls, custom_list::ListControls {
  std::string r_text() const override { return r; }
  void set_r_text(const std::string& text) override { r = text; }
  void set_Command3_caption(const std::string& caption) override { on_caption(caption); }
  std::string customlist_text() const override { return list; }
  void set_customlist_text(const std::string& text) override { list = text; }
  void unload() override { ++unloads; }
  std::string r, list;
  int unloads = 0;
  std::function<void(const std::string&)> on_caption = [](const std::string&) {};
};

enum class Command { execute, stats, remove, repair, test_query };
enum class Fault { none, rename, kill, lock_kill, password, stopped, journal };
enum class Journal { off, on, unwritable };

// An action while the command lets the window breathe: at the k-th repaint or
// process_events call, counted together from 1.
using Tick = std::pair<int, std::function<void(ProgramState&)>>;

struct Row {
  std::string name;
  Texts seed;  // SQL run on a fresh world
  Command command = Command::execute;
  std::string level = "01-10", perc = "101", chance = "10", probability = "50", item_max = "1";
  int op = 0;
  std::optional<std::string> list{}, rules{};  // GO with this text; the rule box left with it
  std::optional<std::uint64_t> random{};       // seed
  // The fault: the table renamed away for the run (rename), the server killed at
  // tick `at` (kill), `table` locked at tick `at` (0: before the run) and the
  // server killed under the statement starting with `head` (lock_kill), the
  // journal's rows table dropped at tick `at` (journal, with the journal on).
  Fault fault = Fault::none;
  std::string table{}, head{};
  int at = 0;
  std::vector<Tick> ticks{};
  // What must come out. Optional parts are checked when given.
  Texts sql{};
  std::optional<std::string> on{};  // per statement the connection it ran on: '0' the first
  std::optional<int> connections{};
  Texts messages{};
  std::optional<Texts> trace{};        // a leading "..." compares the end only
  std::optional<Texts> columns{};      // lvls 1..8
  std::optional<std::string> state{};  // item_rules | current_sql [| the rule box]
  // after_query's value, by default: the items count / lootdrop id:name / entry
  // lootdrop:item:chance / loottable ids / link loottable:lootdrop:probability /
  // npc id:loottable ("-" for none).
  std::optional<std::string> after{};
  std::string after_query{};
  std::string waited{};  // lock_kill: the statement lost
  std::vector<int> exits{};
  std::optional<std::string> window{};  // see window() below; window() when not given
  // Journaled as the window journals it: the newest run as "command outcome rows
  // undoable|not undoable[ N items]" (N: the size of its custom list; "" for
  // no run); undone: the History window's Undo of it leaves every table as
  // before the command. midway: at the third tick, the newest run's command and
  // outcome, its Undo tried then ("{pid}" in messages stands for this process).
  Journal journal = Journal::off;
  std::optional<std::string> history{}, midway{};
  bool undone = false;
};

// Buttons Command1..Command5 enabled (1) or not, the shared connection ("none",
// "open", "closed"), lx with the progress line's end, the captions of Command1 and Command4.
std::string window(
    const std::string& enabled = "11111", const std::string& connection = "closed",
    const std::string& lx = ">Ready 11210",
    const std::string& delete_caption = "Delete ALL Custom Loot Drops For SELECTED Levels",
    const std::string& repair_caption = "Repair NPC's Without Lootdrops");

// The statements the commands send. Show Stats' counts of the first `ranges`
// level ranges; Execute's drop `id` for `loottable`, one entry per item; Delete's
// for the drops `ids` of `range`; Repair's drop `id` of `items`, then one
// loottable per NPC from `table` on.
Texts stats_counts(std::size_t ranges);
Texts drop_sql(long long loottable, const Texts& items = {"1001"}, const std::string& chance = "10",
               const std::string& probability = "50", int id = 1,
               const std::string& name = "lvl_01-10_CUSTOM_armour");
Texts deletion_sql(const std::string& range, const std::vector<int>& ids);
Texts repair_sql(int id, const Texts& items, int table, const Texts& npcs);
Texts operator+(Texts a, const Texts& b);

// The message of a connection that cannot be made.
inline const std::string kConnectionFailed =
    "MYSQL Connection FAILED - Did you remember to:\r\nEdit db.ini for correct mysql user "
    "data?\r\nUse 127.0.0.1 IP for minilogin?\r\nInstall myODBC drivers?";

// The message of a statement the server rejected, with the server's text.
std::string rejected(const std::string& server_text, const std::string& sql);

class Scenario : public ::testing::TestWithParam<Row> {
 protected:
  void TearDown() override {
    if (!server_answers()) restart_server();
  }
};

void run_row(const Row& row);
void PrintTo(const Row& row, std::ostream* out);  // its name
std::string scenario_name(const ::testing::TestParamInfo<Row>& info);

}  // namespace vl::test
