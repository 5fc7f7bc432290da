#include <algorithm>
#include <cmath>

#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance_fixture.h"

namespace vl::test {
namespace {

using maintenance::Command4_Click;
using maintenance::kEmptyItemPoolMessage;
using maintenance::kRepairCaption;

const std::string kNpcQuery = "SELECT id FROM npc_types WHERE loottable_id=0";
const std::string kPoolQuery =
    "SELECT id FROM items WHERE name LIKE 'cloth%' OR name LIKE 'rusty%'";

class RepairTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    state->random.seed(1234);
    state->form1.on_changed = [this](Form1Control control) {
      const std::string& caption = state->form1.button(Form1Control::Command4).caption;
      if (control == Form1Control::Command4 && (captions.empty() || captions.back() != caption)) {
        captions.push_back(caption);
      } else if (control == Form1Control::lx) {
        lx_captions.push_back(state->form1.lx());
      }
    };
  }

  // The items the command draws with `random`, from the pool in query order.
  static std::vector<std::string> expected_picks(Random random) {
    const auto pool = fixture_rows(kPoolQuery);
    std::vector<std::string> picks;
    for (int k = 0; k < 4; ++k) {
      const double r = random.next();
      picks.push_back(pool.at(static_cast<std::size_t>(std::floor(r * pool.size())))[0]);
    }
    return picks;
  }

  static std::vector<std::string> first_column(const std::string& sql) {
    std::vector<std::string> values;
    for (const auto& row : fixture_rows(sql)) values.push_back(row[0]);
    return values;
  }

  static std::vector<std::string> sorted(std::vector<std::string> values) {
    std::sort(values.begin(), values.end());
    return values;
  }

  const ButtonState& button() const { return state->form1.button(Form1Control::Command4); }

  std::vector<std::string> captions;
  std::vector<std::string> lx_captions;
};

TEST_F(RepairTest, SharesOneDropAcrossNpcsWithConsecutiveLoottables) {
  fixture_sql(
      "INSERT INTO items (id,name) VALUES (1001,'Cloth Cap'),(1002,'rusty sword'),"
      "(1003,'cloth shirt'),(1004,'Bronze Sword'),(1005,'old rusty key')");
  fixture_sql(
      "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',2,0),"
      "(7,'c',3,0),(8,'d',3,40)");
  fixture_sql("INSERT INTO lootdrop VALUES (100,'lvl_01-10_CUSTOM_armour')");
  fixture_sql("INSERT INTO loottable VALUES (40,'existing',0,0,0)");
  const Random before = state->random;
  const auto picks = expected_picks(before);
  const auto npcs = first_column(kNpcQuery);
  ASSERT_EQ(sorted(npcs), (std::vector<std::string>{"5", "6", "7"}));
  GeneralLog log;

  Command4_Click(*state, ui);

  std::vector<std::string> expected = {kNpcQuery, kPoolQuery, "SELECT max(id) FROM lootdrop",
                                       "INSERT INTO LOOTDROP values (101,'fixed_by_KORVATH')"};
  for (const auto& item : picks) {
    expected.push_back("INSERT INTO LOOTDROP_ENTRIES values (101," + item + ",1,1,1,0,127,1)");
  }
  for (std::size_t i = 0; i < npcs.size(); ++i) {
    const std::string t = std::to_string(41 + i);
    expected.push_back("SELECT max(id) FROM loottable");
    expected.push_back("INSERT INTO LOOTTABLE values (" + t + ",'fixed_by_KORVATH',100,1000,0)");
    expected.push_back("INSERT INTO LOOTTABLE_ENTRIES values (" + t + ",101,1,50,1,0)");
    expected.push_back("UPDATE npc_types SET loottable_id=" + t + " WHERE npc_types.id=" + npcs[i]);
  }
  EXPECT_EQ(log.statement_texts(), expected);

  // A new connection for each list and each maximum; the writes use the latest.
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 6u);
  const auto statements = log.statements();
  ASSERT_EQ(statements.size(), expected.size());
  std::vector<int> expected_connections = {connections[0], connections[1]};
  expected_connections.insert(expected_connections.end(), 6, connections[2]);
  for (int i = 0; i < 3; ++i)
    expected_connections.insert(expected_connections.end(), 4, connections[3 + i]);
  for (std::size_t k = 0; k < statements.size(); ++k) {
    EXPECT_EQ(statements[k].connection, expected_connections[k]) << statements[k].argument;
  }

  // The capitalised table names reached the lower-case tables.
  EXPECT_EQ(table_rows("SELECT id,name FROM lootdrop ORDER BY id"),
            (std::vector<std::string>{"100|lvl_01-10_CUSTOM_armour", "101|fixed_by_KORVATH"}));
  std::vector<std::string> entries;
  for (const auto& item : picks) entries.push_back("101|" + item + "|1|1|1|0|127|1");
  EXPECT_EQ(sorted(table_rows("SELECT * FROM lootdrop_entries")), sorted(entries));
  EXPECT_EQ(table_rows("SELECT * FROM loottable ORDER BY id"),
            (std::vector<std::string>{"40|existing|0|0|0", "41|fixed_by_KORVATH|100|1000|0",
                                      "42|fixed_by_KORVATH|100|1000|0",
                                      "43|fixed_by_KORVATH|100|1000|0"}));
  EXPECT_EQ(table_rows("SELECT * FROM loottable_entries ORDER BY loottable_id"),
            (std::vector<std::string>{"41|101|1|50|1|0", "42|101|1|50|1|0", "43|101|1|50|1|0"}));
  std::vector<std::string> npc_rows = {"8|40"};
  for (std::size_t i = 0; i < npcs.size(); ++i)
    npc_rows.push_back(npcs[i] + "|" + std::to_string(41 + i));
  EXPECT_EQ(sorted(table_rows("SELECT id,loottable_id FROM npc_types")), sorted(npc_rows));

  EXPECT_EQ(captions,
            (std::vector<std::string>{"WORKING: 1/3", "WORKING: 2/3", "WORKING: 3/3", "Repaired"}));
  EXPECT_FALSE(button().enabled);
  EXPECT_EQ(ui.repaint_calls, 3);
  EXPECT_EQ(lx_captions, (std::vector<std::string>{"WORKING...", ">Ready"}));
  EXPECT_TRUE(ui.messages.empty());
  // Exactly four draws, and no re-seeding.
  Random after_four = before;
  for (int k = 0; k < 4; ++k) after_four.next();
  EXPECT_EQ(state->random.next(), after_four.next());

  // The repair's rows never match the deletion's pattern.
  maintenance::Command1_Click(*state, ui);
  EXPECT_EQ(table_rows("SELECT id FROM lootdrop"), (std::vector<std::string>{"101"}));
  EXPECT_EQ(fixture_value("SELECT count(*) FROM lootdrop_entries"), "4");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM loottable_entries"), "3");
}

TEST_F(RepairTest, WithoutNpcsStillWritesTheDrop) {
  fixture_sql("INSERT INTO items (id,name) VALUES (2001,'rusty dagger')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,9)");
  fixture_sql("INSERT INTO lootdrop VALUES (7,'other')");
  GeneralLog log;

  Command4_Click(*state, ui);

  const std::string entry = "INSERT INTO LOOTDROP_ENTRIES values (8,2001,1,1,1,0,127,1)";
  EXPECT_EQ(log.statement_texts(),
            (std::vector<std::string>{kNpcQuery, kPoolQuery, "SELECT max(id) FROM lootdrop",
                                      "INSERT INTO LOOTDROP values (8,'fixed_by_KORVATH')", entry,
                                      entry, entry, entry}));
  EXPECT_EQ(log.connections().size(), 3u);
  EXPECT_EQ(table_rows("SELECT * FROM lootdrop_entries"),
            std::vector<std::string>(4, "8|2001|1|1|1|0|127|1"));
  EXPECT_EQ(fixture_value("SELECT count(*) FROM loottable"), "0");
  EXPECT_EQ(captions, (std::vector<std::string>{"Repaired"}));
  EXPECT_FALSE(button().enabled);
  EXPECT_EQ(ui.repaint_calls, 0);
  EXPECT_EQ(state->form1.lx(), ">Ready");
}

TEST_F(RepairTest, EmptyTablesGiveFirstIdOne) {
  fixture_sql("INSERT INTO items (id,name) VALUES (2001,'cloth gloves')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',1,0)");

  Command4_Click(*state, ui);

  EXPECT_EQ(table_rows("SELECT id FROM lootdrop"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(first_column("SELECT DISTINCT lootdrop_id FROM lootdrop_entries"),
            (std::vector<std::string>{"1"}));
  EXPECT_EQ(table_rows("SELECT id FROM loottable ORDER BY id"),
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(table_rows("SELECT * FROM loottable_entries ORDER BY loottable_id"),
            (std::vector<std::string>{"1|1|1|50|1|0", "2|1|1|50|1|0"}));
  EXPECT_EQ(sorted(first_column("SELECT loottable_id FROM npc_types")),
            (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RepairTest, EmptyItemPoolIsRefusedBeforeWriting) {
  fixture_sql("INSERT INTO items (id,name) VALUES (3001,'Bronze Sword'),(3002,'old cloth')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0)");
  const Random before = state->random;
  GeneralLog log;

  Command4_Click(*state, ui);

  EXPECT_EQ(log.statement_texts(), (std::vector<std::string>{kNpcQuery, kPoolQuery}));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{kEmptyItemPoolMessage}));
  for (const char* table : {"lootdrop", "lootdrop_entries", "loottable", "loottable_entries"}) {
    EXPECT_EQ(fixture_value(std::string("SELECT count(*) FROM ") + table), "0") << table;
  }
  EXPECT_EQ(fixture_value("SELECT loottable_id FROM npc_types"), "0");
  EXPECT_EQ(button().caption, kRepairCaption);
  EXPECT_TRUE(button().enabled);
  EXPECT_EQ(lx_captions, (std::vector<std::string>{"WORKING...", ">Ready"}));
  Random untouched = before;
  EXPECT_EQ(state->random.next(), untouched.next());
}

TEST_F(RepairTest, PoolBeyond32767ItemsIsDrawnFromWhole) {
  fixture_sql("INSERT INTO items (id,name) SELECT seq, CONCAT('cloth ', seq) FROM seq_1_to_33000");
  const auto pool = fixture_rows(kPoolQuery);
  ASSERT_EQ(pool.size(), 33000u);
  // A seed whose first draw lands beyond the 32767th item.
  std::uint64_t seed = 1;
  std::size_t first_position = 0;
  for (;; ++seed) {
    ASSERT_LT(seed, 100000u);
    Random probe;
    probe.seed(seed);
    first_position = static_cast<std::size_t>(std::floor(probe.next() * 33000.0));
    if (first_position >= 32767) break;
  }
  state->random.seed(seed);
  const auto picks = expected_picks(state->random);

  Command4_Click(*state, ui);

  EXPECT_EQ(sorted(first_column("SELECT item_id FROM lootdrop_entries")), sorted(picks));
  EXPECT_EQ(button().caption, "Repaired");
}

TEST_F(RepairTest, RejectedStatementIsReportedAndTheRepairCanRunAgain) {
  fixture_sql("INSERT INTO items (id,name) VALUES (2001,'cloth gloves')");
  fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES (5,'a',1,0),(6,'b',1,0)");
  fixture_sql("RENAME TABLE loottable_entries TO loottable_entries_away");
  {
    GeneralLog log;
    Command4_Click(*state, ui);
    const auto statements = log.statement_texts();
    ASSERT_EQ(statements.size(), 11u);
    EXPECT_EQ(statements.back(), "INSERT INTO LOOTTABLE_ENTRIES values (1,1,1,50,1,0)");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("loottable_entries' doesn't exist"), std::string::npos)
        << ui.messages[0];
    EXPECT_NE(ui.messages[0].find(statements.back()), std::string::npos);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"WORKING: 1/2", kRepairCaption}));
  EXPECT_TRUE(button().enabled);
  EXPECT_EQ(state->form1.lx(), ">Ready");
  // No transaction: what was written before the failure stays.
  EXPECT_EQ(fixture_value("SELECT count(*) FROM lootdrop"), "1");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM lootdrop_entries"), "4");
  EXPECT_EQ(fixture_value("SELECT count(*) FROM loottable"), "1");
  EXPECT_EQ(first_column("SELECT loottable_id FROM npc_types"),
            (std::vector<std::string>{"0", "0"}));

  fixture_sql("RENAME TABLE loottable_entries_away TO loottable_entries");
  Command4_Click(*state, ui);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(button().caption, "Repaired");
  EXPECT_FALSE(button().enabled);
  EXPECT_EQ(table_rows("SELECT * FROM loottable_entries ORDER BY loottable_id"),
            (std::vector<std::string>{"2|2|1|50|1|0", "3|2|1|50|1|0"}));
}

}  // namespace
}  // namespace vl::test
