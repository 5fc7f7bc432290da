// The plan of a run against the run itself: planned with a seed, then run by
// the window's handler with the same seed, the handler's INSERTs must be the
// plan's drops, in order, and planning must have written nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/window/generation_run.h"
#include "app/window/window_inputs.h"
#include "db/database.h"
#include "loot/plan.h"
#include "loot/plan_sql.h"
#include "support/recording_ui.h"
#include "support/scenario.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

// The handler's statements for the planned drops, as the window writes them.
Texts window_sql(const loot::Plan& plan) {
  Texts sql;
  for (const auto& drop : plan.drops) {
    Texts items;
    for (const auto item : drop.item_ids) items.push_back(std::to_string(item));
    sql = sql + drop_sql(drop.loottable_id, items, "12", "70", drop.lootdrop_id, plan.drop_name);
  }
  return sql;
}

// Applies a script with the mariadb client (`how`: its options and the script,
// read from standard input when not given): "" when it succeeded, else its error.
std::string apply_script(const std::string& path, const std::string& how = "") {
  const DbSettings& db = db_settings();
  const auto [status, out, errors] =
      run_shell("mariadb --no-defaults -h " + db.host + " -u " + db.user + " -p" + db.password +
                " " + db.name + " " + (how.empty() ? "< " + path : how));
  return status == 0 && errors.empty() ? ""
                                       : errors + "(exit status " + std::to_string(status) + ")";
}

// npcs: rows of npc_types (id,name,level,loottable_id), or a SELECT of them.
struct Case {
  const char *name, *npcs, *items_box;
  bool custom_list;
  std::size_t expected_in_range, expected_keeping;
};

TEST(Plan, SameSeedPlansWhatTheRunWritesAndWritesNothingItself) {
  const Case cases[] = {
      {"category, shared loottables and NPCs without one",
       "VALUES "
       "(1,'a',5,7),(2,'b',6,7),(3,'c',7,0),(4,'d',8,0),(5,'e',9,8),(6,'f',2,9),(7,'g',50,7),"
       "(8,'h',3,10),(9,'i',4,11),(10,'j',10,12),(11,'k',1,13),(12,'l',5,14)",
       "3", false, 11, 8},
      {"custom list with repeated ids", "VALUES (1,'a',5,7),(2,'b',6,8),(3,'c',7,9),(4,'d',8,10)",
       "4", true, 4, 4},
      {"no NPC in the range", "VALUES (1,'a',50,7)", "2", false, 0, 0},
      {"no items per drop", "SELECT seq, 'n', 5, seq FROM seq_1_to_8", "0", false, 8, 8},
      {"many NPCs, so that rolls meet the percentage",
       "SELECT seq, 'n', 1 + seq % 10, seq % 250 FROM seq_1_to_400", "2", false, 400, 249},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto seed_world = [&c] {
      reset_world();
      fixture_sql(
          "INSERT INTO items (id,name,itemtype) VALUES (101,'w',10),(102,'x',10),"
          "(103,'y',10),(104,'z',10),(105,'v',10),(106,'u',1)");
      fixture_sql(std::string("INSERT INTO npc_types (id,name,level,loottable_id) ") + c.npcs);
      fixture_sql("INSERT INTO lootdrop (id,name) VALUES (41,'old')");
    };
    seed_world();

    auto prepare = [&](ProgramState& state) {
      configure(state);
      state.item_max_count = static_cast<std::int16_t>(std::stoi(c.items_box));
      state.form1.set_text(Form1Control::perc_of_npcs, "60");
      state.form1.set_text(Form1Control::lootdrop_percentx, "12");
      state.form1.set_text(Form1Control::loottable_percentx, "70");
      state.random.pin_seed(20261206);
      if (c.custom_list) {
        state.custom_list_active = true;
        const double ids[] = {101, 102, 102, 103, 104, 105, 105, 105, 0};
        for (std::size_t i = 0; i < std::size(ids); ++i) state.custom_item_ids[i + 1] = ids[i];
      }
    };

    auto planning = std::make_unique<ProgramState>();
    prepare(*planning);
    const std::string sums = world_checksums();
    GeneralLog plan_log;
    db::open_database(*planning);
    loot::WindowInputs inputs(*planning);
    const loot::Plan plan = loot::plan_run(inputs, *planning->db_connection, planning->random);
    for (const auto& sql : plan_log.statement_texts()) EXPECT_EQ(sql.substr(0, 7), "SELECT ");
    EXPECT_EQ(world_checksums(), sums);
    EXPECT_EQ(planning->candidate_count, 0);  // the window's slots are the run's alone
    EXPECT_EQ(plan.npcs_in_range, c.expected_in_range);
    EXPECT_EQ(plan.npcs_keeping_loottable, c.expected_keeping);
    if (c.expected_keeping > 0) {
      ASSERT_FALSE(plan.drops.empty());
      EXPECT_EQ(plan.drops.front().lootdrop_id, 42);
    }

    auto running = std::make_unique<ProgramState>();
    prepare(*running);
    RecordingUi ui;
    GeneralLog run_log;
    loot::Command2_Click(*running, ui);
    EXPECT_EQ(std::pair(ui.messages.back(), running->candidate_count > 0),
              std::pair(std::string("Completed!"), true));
    const Texts sent = run_log.statement_texts();  // the item and NPC queries first
    EXPECT_EQ(
        Texts(std::find(sent.begin(), sent.end(), "SELECT MAX(id) FROM lootdrop"), sent.end()),
        window_sql(plan));

    // The review script writes what the run wrote, once: applied again, the
    // ids have moved on and its guard stops it before any row.
    const std::string script = ::testing::TempDir() + "plan.sql";
    std::ofstream(script) << [&] {
      std::ostringstream out;
      loot::write_plan_script(out, plan, "settings\nseed=20261206", {});
      return out.str();
    }();
    const std::string written = world_checksums();
    seed_world();
    EXPECT_EQ(apply_script(script), "");
    EXPECT_EQ(world_checksums(), written);
    const std::string again = apply_script(script);
    EXPECT_EQ(world_checksums(), written);
    if (plan.drops.empty()) continue;  // an empty plan moves no id
    EXPECT_NE(again.find("ERROR 1644 (45000) at line 5: The highest lootdrop id is no longer 41: "
                         "the lootdrops were planned on another state of the world. Nothing was "
                         "written."),
              std::string::npos)
        << again;
    // A client that goes on after the guard's error writes nothing either.
    for (const std::string& how : {"--force < " + script, "-e 'source " + script + "'"}) {
      SCOPED_TRACE(how);
      seed_world();
      fixture_sql("INSERT INTO lootdrop (id,name) VALUES (500,'later')");
      const std::string changed = world_checksums();
      EXPECT_NE(apply_script(script, how).find("ERROR 1644"), std::string::npos);
      EXPECT_EQ(world_checksums(), changed);
    }
  }
}

}  // namespace
}  // namespace vl::test
