// The rules window's handlers: what item_rules holds after each of them, and
// the test query as it reaches the server.

#include "loot/rules.h"

#include "db/database.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot_fixture.h"

namespace vl::test {
namespace {

const std::string kDefaultRules = " AND reqlevel<=10 AND ac<=5";
const std::string kQueryError = "Error in Query - check the field names and syntax";

// The window's controls without a window.
class RulesBox : public rules::RulesControls {
 public:
  std::string r_text() const override { return r; }
  void set_r_text(const std::string& text) override { r = text; }
  void set_Command3_caption(const std::string& caption) override { captions.push_back(caption); }
  void unload() override { ++unloads; }

  std::string r;
  std::vector<std::string> captions;
  int unloads = 0;
};

class RulesTest : public LootTest {
 protected:
  void SetUp() override {
    LootTest::SetUp();
    // Armour (itemtype 10) in and out of the default rules, and a mesh shield.
    fixture_sql(
        "INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES"
        " (1,'banded mail',10,5,3),(2,'mesh coif',10,8,5),(3,'plate helm',10,30,20),"
        " (4,'mesh shield',8,50,25),(5,'cloth cap',10,1,1)");
  }
  RulesBox window;
};

TEST_F(RulesTest, LoadingSetsTheDefaultAndOkKeepsIt) {
  EXPECT_EQ(state->item_rules, "");  // never opened: no extra conditions
  rules::Form_Load(*state, window);
  EXPECT_EQ(window.r, "reqlevel<=10 AND ac<=5");
  EXPECT_EQ(state->item_rules, kDefaultRules);
  rules::ok_Click(window);
  EXPECT_EQ(window.unloads, 1);
  EXPECT_EQ(state->item_rules, kDefaultRules);

  // A generation run now reads the rules behind its item query.
  loot::Generate_item_class_sql(*state);
  GeneralLog log;
  loot::load_candidate_items(*state, ui);
  EXPECT_EQ(log.statement_texts(),
            std::vector<std::string>{"SELECT id from items WHERE ( itemtype=10)" + kDefaultRules});
  EXPECT_EQ(state->candidate_count, 3);
}

TEST_F(RulesTest, LeavingTheBoxTakesOnlyNonEmptyTextAndIgnoreClearsAll) {
  rules::Form_Load(*state, window);
  window.r = "ac>=20";
  rules::r_LostFocus(*state, window);
  EXPECT_EQ(state->item_rules, " AND ac>=20");

  // An emptied box keeps the rules it had; OK closes with them.
  window.r = "";
  rules::r_LostFocus(*state, window);
  EXPECT_EQ(state->item_rules, " AND ac>=20");
  rules::ok_Click(window);
  EXPECT_EQ(state->item_rules, " AND ac>=20");

  // Ignore: nothing left of the rules, the box or the statement text.
  window.r = "ac>=20";
  state->current_sql = "SELECT 1";
  rules::Command2_Click(*state, window);
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(window.r, "");
  EXPECT_EQ(state->current_sql, "");
  EXPECT_EQ(window.unloads, 2);
  loot::Generate_item_class_sql(*state);
  EXPECT_EQ(loot::item_query(*state), "SELECT id from items WHERE ( itemtype=10)");
}

TEST_F(RulesTest, TestQueryCountsOverAFreshConnection) {
  rules::Form_Load(*state, window);
  state->record_count = 123;
  GeneralLog log;
  rules::Command3_Click(*state, ui, window);

  const std::string statement = "SELECT COUNT(id) from items WHERE ( itemtype=10)" + kDefaultRules;
  EXPECT_EQ(log.statement_texts(), std::vector<std::string>{statement});
  EXPECT_EQ(log.connections().size(), 1u);
  EXPECT_EQ(state->current_sql, statement);
  EXPECT_EQ(window.captions, (std::vector<std::string>{"Working..", "Test Query"}));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Query Passed: 3 items match criteria"});
  EXPECT_EQ(state->item_rules, kDefaultRules);
  EXPECT_EQ(window.r, "reqlevel<=10 AND ac<=5");
  EXPECT_EQ(state->record_count, 123);
  EXPECT_FALSE(state->db_recordset->is_open());
  EXPECT_EQ(window.unloads, 0);

  // Another category: every item type of it in the chain.
  form().select_op(4);
  window.r = "ac>=0";
  rules::r_LostFocus(*state, window);
  GeneralLog shields_log;
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(shields_log.statement_texts(),
            std::vector<std::string>{"SELECT COUNT(id) from items WHERE ( itemtype=8) AND ac>=0"});
  EXPECT_EQ(ui.messages.back(), "Query Passed: 1 items match criteria");
}

TEST_F(RulesTest, RuleOverSeveralLinesReachesTheServerWhole) {
  rules::Form_Load(*state, window);
  window.r = "name like 'banded%' OR\r\nname like 'mesh%'";
  rules::r_LostFocus(*state, window);
  EXPECT_EQ(state->item_rules, " AND name like 'banded%' OR\r\nname like 'mesh%'");

  GeneralLog log;
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(
      log.statement_texts(),
      std::vector<std::string>{"SELECT COUNT(id) from items WHERE ( itemtype=10) AND name like"
                               " 'banded%' OR\r\nname like 'mesh%'"});
  // OR binds more loosely than the AND before it: the mesh shield counts too.
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Query Passed: 3 items match criteria"});
}

TEST_F(RulesTest, NoCategorySelectedCountsNothing) {
  rules::Form_Load(*state, window);
  form().select_op(-1);
  GeneralLog log;
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(
      log.statement_texts(),
      std::vector<std::string>{"SELECT COUNT(id) from items WHERE ( itemtype=-1)" + kDefaultRules});
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Query Passed: 0 items match criteria"});
}

TEST_F(RulesTest, RejectedRuleEmptiesTheRulesButKeepsTheText) {
  rules::Form_Load(*state, window);
  window.r = "colour='red'";
  rules::r_LostFocus(*state, window);

  // The caption is back before the message; the rules go only after it.
  std::string caption_at_message, rules_at_message;
  ui.on_message = [&](const std::string&) {
    caption_at_message = window.captions.back();
    rules_at_message = state->item_rules;
  };
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(ui.messages, std::vector<std::string>{kQueryError});
  EXPECT_EQ(caption_at_message, "Test Query");
  EXPECT_EQ(rules_at_message, " AND colour='red'");
  EXPECT_EQ(window.captions, (std::vector<std::string>{"Working..", "Test Query"}));
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(state->current_sql, "");
  EXPECT_EQ(window.r, "colour='red'");

  // OK straight after: closed with no rules; a run uses none.
  rules::ok_Click(window);
  EXPECT_EQ(state->item_rules, "");
  loot::Generate_item_class_sql(*state);
  EXPECT_EQ(loot::item_query(*state), "SELECT id from items WHERE ( itemtype=10)");

  // A syntax error takes the same way out.
  window.r = "ac>=";
  rules::r_LostFocus(*state, window);
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(ui.messages.back(), kQueryError);
  EXPECT_EQ(state->item_rules, "");
}

TEST_F(RulesTest, LostConnectionIsLeftToTheCaller) {
  rules::Form_Load(*state, window);
  state->db_password = "not the password";
  EXPECT_THROW(rules::Command3_Click(*state, ui, window), db::ConnectionFailed);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->item_rules, kDefaultRules);
}

}  // namespace
}  // namespace vl::test
