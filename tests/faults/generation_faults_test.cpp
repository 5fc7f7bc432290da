// "Execute" on a server that dies in the middle of the run: between two NPCs
// the next connection fails and the program ends; inside a drop the statement
// in flight is lost, the run stops and the window is usable again. What was
// written before stays, nothing after the failure is written.

#include <cstdio>

#include "db/database.h"
#include "fault_server.h"
#include "loot/generation_run.h"

namespace vl::test {
namespace {

const std::string kDropName = "\"lvl_01-10_CUSTOM_armour\"";
const std::string kNpcQuery = "SELECT id,loottable_id FROM npc_types WHERE level>=01 AND level<=10";

class GenerationFaults : public FaultTest {
 protected:
  void SetUp() override {
    FaultTest::SetUp();
    // One armour item, one item per drop: every statement of the run is known.
    fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'plate',10)");
    fixture_sql(
        "INSERT INTO npc_types (id,name,level,loottable_id) VALUES "
        "(1,'a',5,77),(2,'b',5,78),(3,'c',5,79),(4,'d',5,80)");
    form().set_text(Form1Control::perc_of_npcs, "101");  // every NPC is chosen
    form().set_text(Form1Control::item_max, "1");
  }
  // The statements of the drop for NPC `npc`, the `npc`-th drop of the run.
  static Texts drop_statements(int npc) {
    const std::string id = std::to_string(npc);
    return {"SELECT MAX(id) FROM lootdrop",
            "INSERT INTO lootdrop (id,name) values (" + id + "," + kDropName + ")",
            "INSERT INTO lootdrop_entries values (" + id + ",1001,1,1,10,0,127,1)",
            "INSERT INTO loottable_entries values (" + std::to_string(76 + npc) + "," + id +
                ",1,50,1,0)"};
  }
  // The run's statements from its NPC query on (the item query comes before).
  static Texts from_npc_query(const Texts& statements) {
    for (auto it = statements.begin(); it != statements.end(); ++it) {
      if (it->rfind("SELECT id,loottable_id FROM npc_types", 0) == 0)
        return Texts(it, statements.end());
    }
    return {};
  }
  static Texts run_statements(int complete_drops) {
    Texts texts = {kNpcQuery};
    for (int npc = 1; npc <= complete_drops; ++npc) {
      for (auto& text : drop_statements(npc)) texts.push_back(text);
    }
    return texts;
  }
  // The rows of the three tables the run writes, after the server came back.
  static Rows written() {
    return fixture_rows(
        "SELECT 'lootdrop',id,name FROM lootdrop UNION ALL "
        "SELECT 'entry',lootdrop_id,item_id FROM lootdrop_entries UNION ALL "
        "SELECT 'link',loottable_id,lootdrop_id FROM loottable_entries ORDER BY 1,2,3");
  }
};

// Message boxes written to standard error, where the death test reads them:
// the process itself ends, as the program does after the connection message.
class EndingUi : public RecordingUi {
 public:
  void message_box(const std::string& text) override {
    std::fprintf(stderr, "[message %zu]%s[end]\n", ++count_, text.c_str());
  }

 private:
  std::size_t count_ = 0;
};

std::string regex_escaped(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) result += '\\';
    result += c;
  }
  return result;
}

TEST_F(GenerationFaults, ServerKilledBetweenNpcsEndsTheProgramAfterTheConnectionMessage) {
  GeneralLog log;
  // Events go through once in the item step, then once before each NPC: the
  // fourth call comes before NPC 3.
  EXPECT_EXIT(
      {
        EndingUi ending;
        ending.on_process_events = [&ending] {
          if (ending.process_events_calls == 4) kill_server();
        };
        ui::run_command(*state, ending, loot::Command2_Click,
                        [this](int code) { ui::end_program_now(*state, code); });
      },
      ::testing::ExitedWithCode(ui::kExitConnectionFailed),
      // The only message, and the last word of the process.
      "\\[message 1\\]" + regex_escaped(db::kConnectionFailedMessage) + "\\[end\\]\n$");
  // The drops of NPCs 1 and 2 reached the server; NPC 3's did not even ask for an id.
  EXPECT_EQ(from_npc_query(program_statements(log)), run_statements(2));

  restart_server();
  EXPECT_EQ(written(), (Rows{{"entry", "1", "1001"},
                             {"entry", "2", "1001"},
                             {"link", "77", "1"},
                             {"link", "78", "2"},
                             {"lootdrop", "1", "lvl_01-10_CUSTOM_armour"},
                             {"lootdrop", "2", "lvl_01-10_CUSTOM_armour"}}));
}

TEST_F(GenerationFaults, ServerLostDuringADropStopsTheRunAndLeavesTheDropWithoutItsEntries) {
  GeneralLog log;
  std::unique_ptr<KillWhenWaiting> killer;
  // Before NPC 2 another session locks the entries table: NPC 2's first entry
  // waits for it, and the server dies under the waiting statement.
  ui.on_process_events = [&] {
    if (ui.process_events_calls == 3) {
      killer =
          std::make_unique<KillWhenWaiting>("lootdrop_entries", "INSERT INTO lootdrop_entries");
    }
  };
  run(loot::Command2_Click);
  ASSERT_TRUE(killer);
  const std::string lost = "INSERT INTO lootdrop_entries values (2,1001,1,1,10,0,127,1)";
  EXPECT_EQ(killer->join(), lost);

  EXPECT_EQ(ui.messages, (Texts{statement_failed(server_text(kLostConnection), lost)}));
  expect_window_usable();
  EXPECT_EQ(state->current_sql, lost);
  EXPECT_FALSE(state->db_connection->is_open());
  Texts expected = run_statements(1);
  const Texts drop_2 = drop_statements(2);
  expected.insert(expected.end(), drop_2.begin(), drop_2.begin() + 3);  // the link never ran
  EXPECT_EQ(from_npc_query(program_statements(log)), expected);

  // No transaction: NPC 2's lootdrop stands without its entry and its link.
  restart_server();
  EXPECT_EQ(written(), (Rows{{"entry", "1", "1001"},
                             {"link", "77", "1"},
                             {"lootdrop", "1", "lvl_01-10_CUSTOM_armour"},
                             {"lootdrop", "2", "lvl_01-10_CUSTOM_armour"}}));
}

TEST_F(GenerationFaults, RejectedStatementsStopTheRunWhereTheyFail) {
  struct Case {
    std::string table;  // renamed away before the run
    std::string rejected;
    Texts ran;  // the run's statements from the NPC query on
    Rows written;
  };
  // A SELECT on a missing table is refused when it is prepared, which leaves
  // no line in the log; the INSERT is logged, then refused.
  const Case cases[] = {
      {"npc_types", kNpcQuery, {}, {}},
      {"lootdrop", "SELECT MAX(id) FROM lootdrop", {kNpcQuery}, {}},
      {"loottable_entries",
       drop_statements(1).back(),
       run_statements(1),
       {{"entry", "1", "1001"}, {"lootdrop", "1", "lvl_01-10_CUSTOM_armour"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    fixture_sql("RENAME TABLE " + c.table + " TO away");
    ui.messages.clear();
    GeneralLog log;
    run(loot::Command2_Click);
    const std::string server_said = "Table 'world." + c.table + "' doesn't exist";
    EXPECT_EQ(ui.messages, (Texts{statement_failed(server_text(server_said), c.rejected)}));
    expect_window_usable();
    // Nothing after the rejected statement.
    EXPECT_EQ(from_npc_query(program_statements(log)), c.ran);
    EXPECT_EQ(last_program_request(log),
              c.ran.empty() ? "SELECT id from items WHERE ( itemtype=10)" : c.ran.back());
    fixture_sql("RENAME TABLE away TO " + c.table);
    EXPECT_EQ(written(), c.written);
    fixture_sql("DELETE FROM lootdrop");
    fixture_sql("DELETE FROM lootdrop_entries");
  }
}

}  // namespace
}  // namespace vl::test
