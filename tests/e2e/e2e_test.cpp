// vandril_loot end to end: the real program on a private X display, driven
// with the mouse and the keyboard against the throwaway test server; the
// window is read through the accessibility bus, and what the program did is
// checked in the tables and in the server's general query log.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "e2e/e2e_settings.h"
#include "e2e/main_window_driver.h"
#include "support/test_db.h"

namespace vl::e2e {
namespace {

using test::fixture_rows;
using test::fixture_value;
using test::GeneralLog;
using Texts = std::vector<std::string>;

const Texts kRanges = {"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-99", "65-99"};
const Texts kStatsWords = {"armour",
                           "weapon",
                           "higher lvl misc",
                           "All lvl misc",
                           "shields",
                           "General Food Items",
                           "Spells/Songs",
                           "potions",
                           "Drums/Arrows/Crafted Rings",
                           "Ales/Drinks",
                           "idols charms trinkets",
                           "high level augment items/Solvents"};
const std::string kDeleteCaption = "Delete ALL Custom Loot Drops For SELECTED Levels";

Texts first_column(const std::string& sql) {
  Texts values;
  for (const auto& row : fixture_rows(sql)) values.push_back(row.at(0));
  return values;
}

bool accepts_connections(const std::string& address, int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  const bool connected = connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  close(s);
  return connected;
}

int number(const std::string& sql) { return std::stoi(fixture_value(sql)); }

std::string db_ini(const std::string& host) {
  const auto& db = test::db_settings();
  return "host=" + host + "\nuser=" + db.user + "\npassword=" + db.password +
         "\ndatabase=" + db.name + "\n";
}

// Waits until the program has sent `count` statements since `log` was made.
// A command that shows no message is over once these have arrived and its
// window shows its end; the statements are then read again for the checks.
bool wait_for_statements(MainWindowDriver& window, const GeneralLog& log, std::size_t count,
                         const std::string& what) {
  return window.wait_for(std::to_string(count) + " statements of " + what + " in the general log",
                         [&](std::string& seen) {
                           const Texts statements = log.statement_texts();
                           seen = std::to_string(statements.size()) + " statements" +
                                  (statements.empty() ? "" : ", the last: " + statements.back());
                           return statements.size() >= count;
                         });
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = info->name();
    work_dir_ = settings().artifacts + "/e2e-" + name_;
    std::filesystem::remove_all(work_dir_);
    std::filesystem::create_directories(work_dir_);
    window_ = std::make_unique<MainWindowDriver>(work_dir_);
  }

  void TearDown() override {
    if (HasFailure() && window_) {
      window_->screenshot(settings().artifacts + "/e2e-" + name_ + "-failure.png");
      std::cerr << "program output:\n" << window_->program_output() << "\n";
    }
    window_.reset();
  }

  // A small world, the same on every run: 120 NPCs over all levels, some
  // without a loottable, and a dozen custom drops of earlier runs.
  void load_world() {
    const auto& s = settings();
    const std::string command = "set -o pipefail; { cat '" + s.schema + "'; '" + s.world_gen +
                                "' --items 400 --npcs 120 --loottables 40 --lootdrops 60 "
                                "--custom-drops 12 --seed 3; } | '" +
                                s.test_db_script + "' sql '" + test::db_settings().dir + "'";
    const CommandResult loaded = run_command({"bash", "-c", command}, {}, 120s);
    ASSERT_EQ(loaded.status, 0) << loaded.output;
  }

  std::string name_;
  std::string work_dir_;
  std::unique_ptr<MainWindowDriver> window_;
};

// ---------------------------------------------------------------------------
// Execute, Show Stats, delete and repair, one after the other on one window.

TEST_F(EndToEndTest, GenerateCountDeleteAndRepairThroughTheWindow) {
  ASSERT_NO_FATAL_FAILURE(load_world());
  MainWindowDriver& window = *window_;
  ASSERT_TRUE(window.start(db_ini(test::db_settings().host)));
  EXPECT_EQ(window.caption("lx"), ">READY");

  // The level range with the keyboard: into the list, End to its last line
  // ("65-99"), then up five lines to "21-30".
  window.click_control("level");
  window.press_keys("End");
  window.press_keys("Up Up Up Up Up");
  ASSERT_TRUE(window.wait_for("only \"21-30\" selected in the level list", [&](std::string& seen) {
    const Texts selected = window.selected_levels();
    for (const auto& s : selected) seen += s + " ";
    return selected == Texts{"21-30"};
  }));

  // The category: the option captioned "idols,charms,trinkets" names its drops
  // "idols charms trinkets".
  window.click_control("op10");
  ASSERT_TRUE(window.wait_for("op10 checked", [&](std::string& seen) {
    seen = window.is_checked("op10") ? "checked" : "not checked";
    return window.is_checked("op10");
  }));
  EXPECT_FALSE(window.is_checked("op0"));

  // Every NPC of the range is chosen: its roll runs from 1 to 100 and must lie
  // below the percentage, so 101 leaves nothing to chance.
  ASSERT_TRUE(window.type_into("perc_of_npcs", "101"));
  ASSERT_TRUE(window.type_into("item_max", "3"));
  ASSERT_TRUE(window.type_into("lootdrop_percentx", "37"));
  ASSERT_TRUE(window.type_into("loottable_percentx", "64"));

  // What the run must find: the range's NPCs in the server's order, the first
  // of each loottable, and the items of the category.
  Texts walk_tables;
  for (const auto& npc : fixture_rows("SELECT id,loottable_id FROM npc_types WHERE level>=21 AND "
                                      "level<=30")) {
    const std::string& table = npc.at(1);
    if (table != "0" &&
        std::find(walk_tables.begin(), walk_tables.end(), table) == walk_tables.end()) {
      walk_tables.push_back(table);
    }
  }
  ASSERT_GE(walk_tables.size(), 3u) << "the world must give the range several loottables";
  const Texts candidates = first_column("SELECT id FROM items WHERE itemtype=52");
  const std::set<std::string> candidate_set(candidates.begin(), candidates.end());
  const int first_new_drop = number("SELECT MAX(id) FROM lootdrop") + 1;
  const std::string drop_name = "lvl_21-30_CUSTOM_idols charms trinkets";
  const int drops_of_that_name_before =
      number("SELECT COUNT(*) FROM lootdrop WHERE name='" + drop_name + "'");

  // ---- Execute ----
  {
    GeneralLog log;
    window.click_control("Command2");
    ASSERT_TRUE(window.dismiss_box("Completed!"));
    EXPECT_EQ(window.caption("lx"), ">Ready");
    EXPECT_TRUE(window.is_enabled("Command2"));
    EXPECT_TRUE(window.is_enabled("Command3"));

    const std::size_t per_drop = 1 + 1 + 3 + 1;
    const Texts statements = log.statement_texts();
    ASSERT_EQ(statements.size(), 2 + per_drop * walk_tables.size());
    EXPECT_EQ(statements[0], "SELECT id from items WHERE ( itemtype=52)");
    EXPECT_EQ(statements[1], "SELECT id,loottable_id FROM npc_types WHERE level>=21 AND level<=30");
    const std::regex entry_insert(
        R"(INSERT INTO lootdrop_entries values \((\d+),(\d+),1,1,37,0,127,1\))");
    for (std::size_t k = 0; k < walk_tables.size(); ++k) {
      const std::string id = std::to_string(first_new_drop + static_cast<int>(k));
      const auto at = statements.begin() + static_cast<std::ptrdiff_t>(2 + per_drop * k);
      SCOPED_TRACE("lootdrop " + id + " for loottable " + walk_tables[k]);
      EXPECT_EQ(at[0], "SELECT MAX(id) FROM lootdrop");
      EXPECT_EQ(at[1], "INSERT INTO lootdrop (id,name) values (" + id + ",\"" + drop_name + "\")");
      std::multiset<std::string> logged_items;
      for (int e = 2; e < 5; ++e) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(at[e], m, entry_insert)) << at[e];
        EXPECT_EQ(m[1], id);
        logged_items.insert(m[2]);
      }
      EXPECT_EQ(at[5], "INSERT INTO loottable_entries values (" + walk_tables[k] + "," + id +
                           ",1,64,1,0)");

      // The rows: three different items of the category, as the log says.
      const auto entries = fixture_rows(
          "SELECT item_id,item_charges,equip_item,chance,minlevel,maxlevel,multiplier FROM "
          "lootdrop_entries WHERE lootdrop_id=" +
          id);
      std::multiset<std::string> stored_items;
      for (const auto& row : entries) {
        stored_items.insert(row.at(0));
        EXPECT_TRUE(candidate_set.count(row.at(0))) << "item " << row.at(0) << " is no idol";
        EXPECT_EQ(Texts(row.begin() + 1, row.end()), (Texts{"1", "1", "37", "0", "127", "1"}));
      }
      EXPECT_EQ(stored_items, logged_items);
      EXPECT_EQ(std::set<std::string>(stored_items.begin(), stored_items.end()).size(), 3u);
      EXPECT_EQ(fixture_value("SELECT name FROM lootdrop WHERE id=" + id), drop_name);
    }
    // Exactly one new drop per loottable of the range, linked into it.
    Texts linked;
    for (const auto& row : fixture_rows(
             "SELECT loottable_id,multiplier,probability,droplimit,mindrop FROM loottable_entries "
             "WHERE lootdrop_id>=" +
             std::to_string(first_new_drop) + " ORDER BY lootdrop_id")) {
      linked.push_back(row.at(0));
      EXPECT_EQ(Texts(row.begin() + 1, row.end()), (Texts{"1", "64", "1", "0"}));
    }
    EXPECT_EQ(linked, walk_tables);
    EXPECT_EQ(number("SELECT COUNT(*) FROM lootdrop WHERE id>=" + std::to_string(first_new_drop)),
              static_cast<int>(walk_tables.size()));
    EXPECT_EQ(number("SELECT COUNT(*) FROM lootdrop WHERE name='" + drop_name + "'"),
              drops_of_that_name_before + static_cast<int>(walk_tables.size()));
  }

  // ---- Show Stats ----
  {
    GeneralLog log;
    window.click_control("Command3");
    ASSERT_TRUE(wait_for_statements(window, log, 96, "Show Stats"));
    ASSERT_TRUE(
        window.wait_for("lx reading \">Ready\" and the last column filled", [&](std::string& seen) {
          seen = window.caption("lx") + " / " + window.caption("lvls8");
          return window.caption("lx") == ">Ready" && !window.caption("lvls8").empty();
        }));
    const Texts statements = log.statement_texts();
    Texts expected_statements;
    for (std::size_t column = 0; column < kRanges.size(); ++column) {
      std::string expected_column;
      for (const auto& word : kStatsWords) {
        const std::string name = "lvl_" + kRanges[column] + "_CUSTOM_" + word;
        expected_statements.push_back("select count(id) from lootdrop where lootdrop.name = '" +
                                      name + "'");
        expected_column +=
            fixture_value("select count(id) from lootdrop where name='" + name + "'") + "\n";
      }
      EXPECT_EQ(window.caption("lvls" + std::to_string(column + 1)), expected_column)
          << "column " << kRanges[column];
    }
    EXPECT_EQ(statements, expected_statements);
    // The run's drops are in the count of their row.
    const Texts column3 = [&] {
      Texts lines;
      std::string text = window.caption("lvls3");
      for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
           start = end + 1) {
        lines.push_back(text.substr(start, end - start));
      }
      return lines;
    }();
    ASSERT_EQ(column3.size(), 12u);
    EXPECT_EQ(column3[10],
              std::to_string(drops_of_that_name_before + static_cast<int>(walk_tables.size())));
  }

  // ---- Delete ALL Custom Loot Drops For SELECTED Levels (21-30) ----
  {
    const Texts doomed =
        first_column("SELECT id from lootdrop WHERE lootdrop.name like 'lvl_21-30%'");
    ASSERT_GE(doomed.size(), walk_tables.size());
    const int other_custom_before = number(
        "SELECT COUNT(*) FROM lootdrop WHERE name LIKE 'lvl%' AND name NOT LIKE 'lvl_21-30%'");
    GeneralLog log;
    window.click_control("Command1");
    ASSERT_TRUE(wait_for_statements(window, log, 2 + 2 * doomed.size(), "the delete"));
    ASSERT_TRUE(window.wait_for("Command1 captioned \"" + kDeleteCaption + "\" again",
                                [&](std::string& seen) {
                                  seen = window.caption("Command1");
                                  return seen == kDeleteCaption;
                                }));
    const Texts statements = log.statement_texts();
    Texts expected = {"SELECT id from lootdrop WHERE lootdrop.name like 'lvl_21-30%'",
                      "DELETE FROM lootdrop WHERE lootdrop.name like 'lvl_21-30%'"};
    for (const auto& id : doomed) {
      expected.push_back("DELETE FROM lootdrop_entries WHERE lootdrop_id=" + id);
      expected.push_back("DELETE FROM loottable_entries WHERE lootdrop_id=" + id);
    }
    EXPECT_EQ(statements, expected);
    EXPECT_FALSE(window.message_box_text()) << "the delete shows no message";
    EXPECT_EQ(number("SELECT COUNT(*) FROM lootdrop WHERE name LIKE 'lvl_21-30%'"), 0);
    EXPECT_EQ(number("SELECT COUNT(*) FROM lootdrop_entries WHERE lootdrop_id>=" +
                     std::to_string(first_new_drop)),
              0);
    EXPECT_EQ(number("SELECT COUNT(*) FROM loottable_entries WHERE lootdrop_id>=" +
                     std::to_string(first_new_drop)),
              0);
    EXPECT_EQ(number("SELECT COUNT(*) FROM lootdrop WHERE name LIKE 'lvl%'"), other_custom_before);
  }

  // ---- Repair NPC's Without Lootdrops ----
  {
    const Texts bare_npcs = first_column("SELECT id FROM npc_types WHERE loottable_id=0");
    ASSERT_FALSE(bare_npcs.empty()) << "the world must have NPCs without a loottable";
    const Texts pool =
        first_column("SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'");
    const std::set<std::string> pool_set(pool.begin(), pool.end());
    const int d0 = number("SELECT MAX(id) FROM lootdrop") + 1;
    const int t0 = number("SELECT MAX(id) FROM loottable") + 1;
    GeneralLog log;
    window.click_control("Command4");
    ASSERT_TRUE(wait_for_statements(window, log, 8 + 4 * bare_npcs.size(), "the repair"));
    ASSERT_TRUE(window.wait_for(
        "Command4 reading \"Repaired\", disabled, and lx \">Ready\"", [&](std::string& seen) {
          seen = window.caption("Command4") + (window.is_enabled("Command4") ? " (enabled)" : "") +
                 " / " + window.caption("lx");
          return seen == "Repaired / >Ready";
        }));
    EXPECT_FALSE(window.message_box_text()) << "the repair shows no message";
    const Texts statements = log.statement_texts();
    ASSERT_EQ(statements.size(), 8 + 4 * bare_npcs.size());
    const std::string d = std::to_string(d0);
    EXPECT_EQ(Texts(statements.begin(), statements.begin() + 4),
              (Texts{"SELECT id FROM npc_types WHERE loottable_id=0",
                     "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'",
                     "SELECT max(id) FROM lootdrop",
                     "INSERT INTO LOOTDROP values (" + d + ",'fixed_by_KORVATH')"}));
    const std::regex entry_insert("INSERT INTO LOOTDROP_ENTRIES values \\(" + d +
                                  ",(\\d+),1,1,1,0,127,1\\)");
    std::multiset<std::string> logged_items;
    for (int e = 4; e < 8; ++e) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(statements[e], m, entry_insert)) << statements[e];
      EXPECT_TRUE(pool_set.count(m[1])) << "item " << m[1] << " is neither cloth nor rusty";
      logged_items.insert(m[1]);
    }
    for (std::size_t i = 0; i < bare_npcs.size(); ++i) {
      const std::string t = std::to_string(t0 + static_cast<int>(i));
      const auto at = statements.begin() + static_cast<std::ptrdiff_t>(8 + 4 * i);
      EXPECT_EQ(Texts(at, at + 4),
                (Texts{"SELECT max(id) FROM loottable",
                       "INSERT INTO LOOTTABLE values (" + t + ",'fixed_by_KORVATH',100,1000,0)",
                       "INSERT INTO LOOTTABLE_ENTRIES values (" + t + "," + d + ",1,50,1,0)",
                       "UPDATE npc_types SET loottable_id=" + t +
                           " WHERE npc_types.id=" + bare_npcs[i]}));
      EXPECT_EQ(fixture_value("SELECT loottable_id FROM npc_types WHERE id=" + bare_npcs[i]), t);
      EXPECT_EQ(fixture_rows("SELECT name,mincash,maxcash,avgcoin FROM loottable WHERE id=" + t),
                (std::vector<Texts>{{"fixed_by_KORVATH", "100", "1000", "0"}}));
      EXPECT_EQ(fixture_rows("SELECT lootdrop_id,multiplier,probability,droplimit,mindrop FROM "
                             "loottable_entries WHERE loottable_id=" +
                             t),
                (std::vector<Texts>{{d, "1", "50", "1", "0"}}));
    }
    EXPECT_EQ(number("SELECT COUNT(*) FROM npc_types WHERE loottable_id=0"), 0);
    EXPECT_EQ(fixture_value("SELECT name FROM lootdrop WHERE id=" + d), "fixed_by_KORVATH");
    std::multiset<std::string> stored_items;
    for (const auto& row : fixture_rows(
             "SELECT item_id,item_charges,equip_item,chance,minlevel,maxlevel,multiplier FROM "
             "lootdrop_entries WHERE lootdrop_id=" +
             d)) {
      stored_items.insert(row.at(0));
      EXPECT_EQ(Texts(row.begin() + 1, row.end()), (Texts{"1", "1", "1", "0", "127", "1"}));
    }
    EXPECT_EQ(stored_items, logged_items);
  }

  // ---- quit: the hot spot over the painted close dot ends the program ----
  window.click_control("quit");
  EXPECT_EQ(window.program().wait_for_exit(15s), std::optional<int>(0));
}

// ---------------------------------------------------------------------------
// A server that cannot be reached: the first command shows the four-line
// message, and Return ends the program with status 2.

TEST_F(EndToEndTest, UnreachableServerEndsTheProgramAfterItsMessage) {
  // Nothing listens on this loopback address, so connecting is refused at once.
  const std::string nowhere = "127.0.0.254";
  if (accepts_connections(nowhere, 3306)) GTEST_SKIP() << "a server listens on " << nowhere;
  MainWindowDriver& window = *window_;
  GeneralLog log;
  ASSERT_TRUE(window.start(db_ini(nowhere)));
  window.click_control("Command2");
  ASSERT_TRUE(window.answer_box(
      "MYSQL Connection FAILED - Did you remember to:\nEdit db.ini for correct mysql user "
      "data?\nUse 127.0.0.1 IP for minilogin?\nInstall myODBC drivers?"));
  std::optional<int> status;
  int polls = 0;
  ASSERT_TRUE(window.wait_for("the program ending after Return", [&](std::string& seen) {
    status = window.program().exit_status();
    seen = "still running";
    // A Return that came before the box had the focus is lost: press it again.
    if (!status && ++polls % 20 == 0 && window.message_box_text()) window.press_keys("Return");
    return status.has_value();
  }));
  EXPECT_EQ(*status, 2);
  EXPECT_TRUE(log.entries().empty())
      << "something reached the test server: " << log.entries().front().command << " "
      << log.entries().front().argument;
}

}  // namespace
}  // namespace vl::e2e
