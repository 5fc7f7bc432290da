#include <map>
#include <utility>

#include "maintenance/stats.h"
#include "maintenance_fixture.h"

namespace vl::test {
namespace {

using maintenance::Command3_Click;

class StatsTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    fixture_sql(
        "INSERT INTO lootdrop (id,name) VALUES "
        "(1,'lvl_01-10_CUSTOM_armour'),(2,'lvl_01-10_CUSTOM_armour'),"
        "(3,'lvl_01-10_CUSTOM_Potions'),"  // the generation run writes a capital P
        "(4,'lvl_61-99_CUSTOM_weapon'),(5,'lvl_65-99_CUSTOM_Ales/Drinks'),"
        "(6,'lvl_01-10_CUSTOM_armourX'),(7,'lvl_01-10_CUSTOM_Drinks/Ales'),"
        "(8,'lvl_11-20_CUSTOM_idols,charms,trinkets'),(9,'lvlX01-10_CUSTOM_armour'),"
        "(10,'fixed_by_KORVATH'),(11,'lvl_31-40_CUSTOM_high level augment items/Solvents')");
    for (int column = 1; column <= 8; ++column) state->form1.set_lvls(column, "stale\r\n");
  }

  // A column's caption from the non-zero counts of its rows (1..12).
  static std::string column_caption(const std::map<int, int>& counts) {
    std::string caption;
    for (int row = 1; row <= 12; ++row) {
      auto it = counts.find(row);
      caption += std::to_string(it == counts.end() ? 0 : it->second) + "\r\n";
    }
    return caption;
  }

  static std::array<std::string, 9> expected_columns() {
    std::array<std::string, 9> columns;
    for (int column = 1; column <= 8; ++column) columns[column] = column_caption({});
    columns[1] = column_caption({{1, 2}, {8, 1}});  // "potions" counts the "Potions" drop
    columns[4] = column_caption({{12, 1}});
    columns[7] = column_caption({{2, 1}});
    columns[8] = column_caption({{10, 1}});
    return columns;
  }
};

TEST_F(StatsTest, CountsEveryRangeAndWordOverOneConnection) {
  std::vector<double> x2_moves;
  state->form1.on_changed = [&](Form1Control control) {
    if (control == Form1Control::progress) x2_moves.push_back(state->form1.progress().x2);
  };
  // What the window shows each time it processes events: the counted columns
  // are complete, the ones to their right still show the previous press.
  std::vector<std::pair<std::string, std::array<std::string, 9>>> shown;
  ui.on_process_events = [&] {
    std::array<std::string, 9> columns;
    for (int column = 1; column <= 8; ++column) columns[column] = state->form1.lvls(column);
    shown.emplace_back(state->form1.lx(), columns);
  };
  state->record_count = 77;
  GeneralLog log;

  Command3_Click(*state, ui);

  std::vector<std::string> expected_sql;
  for (const auto& range : kLevelRanges) {
    for (const auto& word : kCategoryWords) {
      expected_sql.push_back("select count(id) from lootdrop where lootdrop.name = 'lvl_" + range +
                             "_CUSTOM_" + word + "'");
    }
  }
  EXPECT_EQ(log.statement_texts(), expected_sql);
  const auto connections = log.connections();
  ASSERT_EQ(connections.size(), 1u);
  for (const auto& statement : log.statements()) EXPECT_EQ(statement.connection, connections[0]);
  EXPECT_TRUE(log.disconnections().empty());
  ASSERT_TRUE(state->db_connection);
  EXPECT_TRUE(state->db_connection->is_open());

  const auto expected = expected_columns();
  for (int column = 1; column <= 8; ++column) {
    EXPECT_EQ(state->form1.lvls(column), expected[column]) << "column " << column;
  }
  ASSERT_EQ(shown.size(), 8u);
  for (int pass = 1; pass <= 8; ++pass) {
    EXPECT_EQ(shown[pass - 1].first, "WORKING...");
    for (int column = 1; column <= 8; ++column) {
      EXPECT_EQ(shown[pass - 1].second[column], column <= pass ? expected[column] : "stale\r\n")
          << "pass " << pass << ", column " << column;
    }
  }

  EXPECT_EQ(x2_moves, (std::vector<double>{9550, 9726.25, 9902.5, 10078.75, 10255, 10431.25,
                                           10607.5, 10783.75, 10960, 11210}));
  EXPECT_EQ(ui.repaint_calls, 8);
  EXPECT_EQ(state->form1.lx(), ">Ready");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->current_sql, expected_sql.back());
  EXPECT_EQ(state->record_count, 77);
}

TEST_F(StatsTest, RejectedQueryIsReportedAndLeavesNoStaleColumn) {
  // The table disappears while the window processes events after the second range.
  ui.on_process_events = [&] {
    if (ui.process_events_calls == 2) fixture_sql("DROP TABLE lootdrop");
  };
  GeneralLog log;

  Command3_Click(*state, ui);

  // 24 counts ran; the 25th was rejected (a SELECT that fails to prepare does
  // not show in the general log).
  EXPECT_EQ(log.statement_texts().size(), 24u);
  const std::string rejected =
      "select count(id) from lootdrop where lootdrop.name = 'lvl_21-30_CUSTOM_armour'";
  EXPECT_EQ(state->current_sql, rejected);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("lootdrop' doesn't exist"), std::string::npos) << ui.messages[0];
  EXPECT_NE(ui.messages[0].find(rejected), std::string::npos);

  const auto expected = expected_columns();
  EXPECT_EQ(state->form1.lvls(1), expected[1]);
  EXPECT_EQ(state->form1.lvls(2), expected[2]);
  for (int column = 3; column <= 8; ++column) EXPECT_EQ(state->form1.lvls(column), "");
  EXPECT_EQ(state->form1.lx(), ">Ready");
  EXPECT_EQ(state->form1.progress().x2, 11210);
  EXPECT_EQ(ui.process_events_calls, 2);
}

}  // namespace
}  // namespace vl::test
