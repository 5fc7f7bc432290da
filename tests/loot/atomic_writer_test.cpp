// The atomic writer against the real server: what it refuses before writing,
// the statements it sends, and that a stop leaves nothing of the run (the
// command line's rows add a table that cannot roll back and a rejected batch).

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/window/window_inputs.h"
#include "db/database.h"
#include "loot/atomic_writer.h"
#include "loot/plan.h"
#include "support/test_db.h"
#include "world/extended_layout.h"

namespace vl::test {
namespace {

using world::kExtendedLayoutSql;

void seed_world() {
  reset_world();
  fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (101,'w',10),(102,'x',10),(103,'y',10)");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) SELECT seq,'n',1+seq%10,seq FROM "
      "seq_1_to_60");
  fixture_sql("INSERT INTO lootdrop (id,name) VALUES (41,'old')");
}

// Loottables 1 to 60 for the range's NPCs 1 to 60, each shared with an NPC outside it.
void share_loottables() {
  fixture_sql("INSERT INTO loottable (id) SELECT seq FROM seq_1_to_60");
  fixture_sql(
      "INSERT INTO npc_types (id,level,loottable_id) SELECT 100+seq,50,seq FROM seq_1_to_60");
}

std::unique_ptr<ProgramState> planning_state() {
  auto state = std::make_unique<ProgramState>();
  configure(*state);
  state->item_max_count = 2;
  state->form1.set_text(Form1Control::perc_of_npcs, "101");
  state->random.pin_seed(7);
  return state;
}

std::string loot_rows() {
  std::string rows;
  for (const char* sql :
       {"SELECT COUNT(*),MIN(id),MAX(id) FROM lootdrop WHERE name LIKE 'lvl%'",
        "SELECT COUNT(*),SUM(item_id),MIN(chance),MAX(equip_item) FROM lootdrop_entries",
        "SELECT COUNT(*),SUM(loottable_id=lootdrop_id-42),MIN(probability) FROM "
        "loottable_entries"}) {
    const auto row = fixture_rows(sql).at(0);
    for (const auto& value : row) rows += value + ",";
  }
  return rows;
}

struct Case {
  const char* name;
  std::vector<const char*> setup;  // statements that change the world first
  std::function<bool(int)> stop;   // asked with the number of the statement to come
  Ending ending;
  std::string message_start;
  std::string rows;  // loot_rows() afterwards
  bool ids_as_planned = false;
  bool isolate = false;  // the range's loottables shared and copied
};

TEST(AtomicWriter, WritesThePlanAllOrNothing) {
  const std::string none = "0,NULL,NULL,0,NULL,NULL,NULL,0,NULL,NULL,";
  const std::string all = "60,43,102,120,12242,10,1,60,60,50,";
  // clang-format off
  const Case cases[] = {
      {"window layout", {}, {}, Ending::completed, "", all},
      {"extended layout", {kExtendedLayoutSql.data()}, {}, Ending::completed, "", all},
      {"a NOT NULL column the writer leaves out", {"ALTER TABLE lootdrop ADD zone INT NOT NULL"}, {},
       Ending::refused,
       "Column lootdrop.zone is NOT NULL without a default, and the writer gives it no value.\nNothing was written.",
       none},
      {"a column the writer names is missing", {"ALTER TABLE loottable_entries DROP COLUMN droplimit"}, {},
       Ending::refused, "Table loottable_entries has no column droplimit.\nNothing was written.", none},
      {"stopped before COMMIT", {}, [](int statement) { return statement == 4; }, Ending::interrupted,
       "Stopped before COMMIT: the transaction was rolled back, nothing of the run was written.", none},
      {"the planned ids, taken meanwhile", {}, {}, Ending::refused,
       "The highest lootdrop id is 42, not 41 as planned: the transaction was rolled back, nothing was written. Make a new plan.",
       none, true},
      {"the planned loottable ids, taken meanwhile",
       {"DELETE FROM lootdrop WHERE id=42;\nINSERT INTO loottable (id) VALUES (61)"}, {}, Ending::refused,
       "The highest loottable id is 61, not 60 as planned: the transaction was rolled back, nothing was written. Make a new plan.",
       none, true, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seed_world();
    if (c.isolate) share_loottables();
    auto state = planning_state();
    db::open_database(*state);
    loot::WindowInputs inputs(*state);
    inputs.isolate_shared = c.isolate;
    loot::Plan plan = loot::plan_run(inputs, *state->db_connection, state->random);
    // Another writer takes the planned first id: the run starts after it.
    fixture_sql("INSERT INTO lootdrop (id,name) VALUES (42,'written meanwhile')");
    for (const char* statements : c.setup) {
      std::string rest = statements;  // one statement a line
      for (std::size_t end; (end = rest.find(";\n")) != std::string::npos; rest.erase(0, end + 2))
        fixture_sql(rest.substr(0, end));
      if (!rest.empty()) fixture_sql(rest);
    }

    Texts sent;
    int asked = 0;
    const auto stop = [&] { return c.stop && c.stop(++asked); };
    GeneralLog log;
    const loot::AtomicResult result = loot::write_atomically(
        *state->db_connection, plan, stop, [&](const std::string& sql) { sent.push_back(sql); }, {},
        c.ids_as_planned);
    EXPECT_EQ(result.ending, c.ending);
    EXPECT_EQ(result.message.substr(0, c.message_start.size()), c.message_start) << result.message;
    EXPECT_EQ(loot_rows(), c.rows);
    if (c.ending != Ending::completed) continue;
    EXPECT_EQ(result.first_id, 43);
    Texts logged = sent;  // the log's filter takes SELECT @@... for the driver's own
    logged.erase(logged.begin() + 5);
    logged.erase(logged.begin() + 1);
    EXPECT_EQ(log.statement_texts(), logged);
    // Four layout checks and whether the server is a cluster node, then the
    // transaction in its turn (each statement's start).
    const Texts starts = {"SELECT t.TABLE_NAME,t.ENGINE",
                          "SELECT @@wsrep_on",
                          "SELECT LOWER(COLUMN_NAME)",
                          "SELECT LOWER(COLUMN_NAME)",
                          "SELECT LOWER(COLUMN_NAME)",
                          "SELECT @@max_allowed_packet",
                          "SELECT GET_LOCK('vandril_loot.lootdrop_ids',600)",
                          "START TRANSACTION",
                          "SELECT MAX(id) FROM lootdrop FOR UPDATE",
                          "INSERT INTO lootdrop (id,name) VALUES (43,'lvl_01-10_CUSTOM_armour')",
                          "INSERT INTO lootdrop_entries (lootdrop_id,item_id,item_charges,equip_",
                          "INSERT INTO loottable_entries (loottable_id,lootdrop_id,multiplier,",
                          "COMMIT",
                          "DO RELEASE_LOCK('vandril_loot.lootdrop_ids')"};
    ASSERT_EQ(sent.size(), starts.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
      EXPECT_EQ(sent[i].substr(0, starts[i].size()), starts[i]);
  }
}

// Two runs at once: the second waits for the first one's turn to end, then
// takes the ids after the first run's, the copies' loottable ids too when the
// NPCs' loottables are shared with NPCs outside the range.
TEST(AtomicWriter, RunsAtTheSameTimeTakeDisjointIds) {
  for (const bool isolate : {false, true}) {
    SCOPED_TRACE(isolate ? "isolating shared loottables" : "plain");
    seed_world();
    share_loottables();
    auto first = planning_state(), second = planning_state();
    db::open_database(*first);
    db::open_database(*second);
    loot::WindowInputs inputs_a(*first), inputs_b(*second);
    inputs_a.isolate_shared = inputs_b.isolate_shared = isolate;
    loot::Plan plan_a = loot::plan_run(inputs_a, *first->db_connection, first->random);
    loot::Plan plan_b = loot::plan_run(inputs_b, *second->db_connection, second->random);
    loot::AtomicResult a, b;
    std::thread one([&] { a = loot::write_atomically(*first->db_connection, plan_a, {}); });
    std::thread two([&] { b = loot::write_atomically(*second->db_connection, plan_b, {}); });
    one.join();
    two.join();
    if (isolate) {
      // The first run moved the NPCs to its copies: the second, planned from
      // the originals, is not written over them.
      if (a.ending != Ending::completed) std::swap(a, b);
      EXPECT_EQ(a.ending, Ending::completed) << a.message;
      EXPECT_EQ(std::tuple(b.ending, b.message),
                std::tuple(Ending::refused,
                           "Only 0 of the 60 NPCs to move to the copies still had their loottable: "
                           "the transaction was rolled back, nothing was written."));
      EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop WHERE id>41"), "60");
      continue;
    }
    EXPECT_EQ(a.ending, Ending::completed) << a.message;
    EXPECT_EQ(b.ending, Ending::completed) << b.message;
    EXPECT_EQ(std::min(a.first_id, b.first_id), 42);
    EXPECT_EQ(std::max(a.first_id, b.first_id), 102);
    EXPECT_EQ(fixture_value("SELECT CONCAT_WS(',',COUNT(*),COUNT(DISTINCT id),MAX(id)) FROM "
                            "lootdrop"),
              "121,121,161");
    EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop_entries"), "240");
    EXPECT_EQ(fixture_value("SELECT CONCAT_WS(',',COUNT(*),COUNT(DISTINCT id),MAX(id)) FROM "
                            "loottable"),
              "60,60,60");
  }
}

}  // namespace
}  // namespace vl::test
