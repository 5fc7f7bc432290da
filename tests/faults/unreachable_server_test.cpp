// Every command that meets a server it cannot connect to, at its first
// connection: the four-line message, then the program ends; no statement of
// the command reaches the server.

#include "db/database.h"
#include "fault_server.h"
#include "loot/generation_run.h"
#include "loot/rules.h"
#include "maintenance/delete_drops.h"
#include "maintenance/repair.h"
#include "maintenance/stats.h"

namespace vl::test {
namespace {

class UnreachableServer : public FaultTest {
 protected:
  void SetUp() override {
    FaultTest::SetUp();
    fixture_sql("INSERT INTO items (id,name,itemtype) VALUES (1001,'cloth cap',10)");
    fixture_sql(
        "INSERT INTO npc_types (id,name,level,loottable_id) VALUES (1,'a',5,77),(2,'b',5,0)");
    fixture_sql("INSERT INTO lootdrop VALUES (10,'lvl_01-10_CUSTOM_armour')");
    form().set_text(Form1Control::perc_of_npcs, "101");
  }
  // Each command on its own, as the window runs it: the message, then the end.
  void expect_each_command_ends_the_program() {
    const std::pair<const char*, ui::Command> commands[] = {
        {"Execute", loot::Command2_Click},
        {"Show Stats", maintenance::Command3_Click},
        {"Delete", maintenance::Command1_Click},
        {"Repair", maintenance::Command4_Click},
        {"Test Query",
         [](ProgramState& state, UiPort& ui) {
           RulesBox box;
           rules::Command3_Click(state, ui, box);
         }},
    };
    for (const auto& [name, command] : commands) {
      ui.messages.clear();
      exit_codes.clear();
      run(command);
      EXPECT_EQ(ui.messages, (Texts{db::kConnectionFailedMessage})) << name;
      EXPECT_EQ(exit_codes, (std::vector<int>{ui::kExitConnectionFailed})) << name;
    }
  }
  // Everything the commands could have changed, read after the server is back.
  static std::string world() {
    return fixture_value(
        "SELECT CONCAT_WS('/',(SELECT GROUP_CONCAT(id) FROM lootdrop),"
        "(SELECT COUNT(*) FROM lootdrop_entries),(SELECT COUNT(*) FROM loottable),"
        "(SELECT COUNT(*) FROM loottable_entries),"
        "(SELECT GROUP_CONCAT(loottable_id ORDER BY id) FROM npc_types))");
  }
  // The rules window's box as the test query reads it.
  class RulesBox : public rules::RulesControls {
   public:
    std::string r_text() const override { return "reqlevel<=10"; }
    void set_r_text(const std::string&) override {}
    void set_Command3_caption(const std::string&) override {}
    void unload() override {}
  };
};

TEST_F(UnreachableServer, StoppedServerEndsEveryCommandAtItsFirstConnection) {
  stop_server();
  expect_each_command_ends_the_program();
  restart_server();
  EXPECT_EQ(world(), "10/0/0/0/77,0");
}

TEST_F(UnreachableServer, RefusedLoginEndsEveryCommandBeforeItsFirstStatement) {
  state->db_password = "not_the_password";
  GeneralLog log;
  expect_each_command_ends_the_program();
  // Five logins tried and refused; not one statement.
  int refused = 0;
  for (const auto& entry : log.entries()) {
    if (entry.command == "Connect" &&
        entry.argument.find("Access denied for user 'vandril'") == 0) {
      ++refused;
    }
  }
  EXPECT_EQ(refused, 5);
  EXPECT_EQ(program_statements(log), Texts{});
  EXPECT_EQ(world(), "10/0/0/0/77,0");
}

}  // namespace
}  // namespace vl::test
