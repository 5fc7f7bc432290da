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

// The window's controls without a window.
class RulesBox : public rules::RulesControls {
 public:
  std::string r_text() const override { return r; }
  void set_r_text(const std::string& text) override { r = text; }
  void set_Command3_caption(const std::string& caption) override { captions.push_back(caption); }
  void unload() override { ++unloads; }
  std::string r;
  Texts captions;
  int unloads = 0;
};

class RulesTest : public LootTest {
 protected:
  void SetUp() override {
    LootTest::SetUp();
    fixture_sql(
        "INSERT INTO items (id,name,itemtype,reqlevel,ac) VALUES (1,'banded mail',10,5,3),"
        "(2,'mesh coif',10,8,5),(3,'plate helm',10,30,20),(4,'mesh shield',8,50,25)");
    rules::Form_Load(*state, window);
  }
  void leave_box_with(const std::string& text) {
    window.r = text;
    rules::r_LostFocus(*state, window);
  }
  RulesBox window;
};

TEST_F(RulesTest, LoadOkLeavingTheBoxAndIgnore) {
  EXPECT_EQ(window.r, "reqlevel<=10 AND ac<=5");
  rules::ok_Click(window);
  EXPECT_EQ(window.unloads, 1);
  EXPECT_EQ(state->item_rules, kDefaultRules);
  loot::Generate_item_class_sql(*state);
  GeneralLog log;
  loot::load_candidate_items(*state, ui);  // a run reads the rules behind its item query
  EXPECT_EQ(log.statement_texts(),
            Texts{"SELECT id from items WHERE ( itemtype=10)" + kDefaultRules});
  EXPECT_EQ(state->candidate_count, 2);

  leave_box_with("ac>=20");
  leave_box_with("");  // an emptied box keeps the rules it had
  EXPECT_EQ(state->item_rules, " AND ac>=20");
  state->current_sql = "SELECT 1";
  rules::Command2_Click(*state, window);  // Ignore
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(window.r, "");
  EXPECT_EQ(state->current_sql, "");
  EXPECT_EQ(window.unloads, 2);
}

TEST_F(RulesTest, TestQueryCountsOverAFreshConnection) {
  const struct {
    int option;
    std::string rule, clause, count;
  } cases[] = {
      {0, "reqlevel<=10 AND ac<=5", "( itemtype=10) AND reqlevel<=10 AND ac<=5", "2"},
      {4, "ac>=0", "( itemtype=8) AND ac>=0", "1"},
      // OR binds more loosely than the AND before it: the mesh shield counts too.
      {0, "name like 'banded%' OR\r\nname like 'mesh%'",
       "( itemtype=10) AND name like 'banded%' OR\r\nname like 'mesh%'", "3"},
      {-1, "ac>=0", "( itemtype=-1) AND ac>=0", "0"},
  };
  state->record_count = 123;
  for (const auto& c : cases) {
    form().select_op(c.option);
    leave_box_with(c.rule);
    window.captions.clear();
    GeneralLog log;
    rules::Command3_Click(*state, ui, window);
    const std::string statement = "SELECT COUNT(id) from items WHERE " + c.clause;
    EXPECT_EQ(log.statement_texts(), Texts{statement});
    EXPECT_EQ(log.connections().size(), 1u);
    EXPECT_EQ(state->current_sql, statement);
    EXPECT_EQ(window.captions, (Texts{"Working..", "Test Query"}));
    EXPECT_EQ(ui.messages.back(), "Query Passed: " + c.count + " items match criteria");
    EXPECT_EQ(state->item_rules, " AND " + c.rule);
    EXPECT_EQ(window.r, c.rule);
  }
  EXPECT_EQ(state->record_count, 123);
  EXPECT_EQ(window.unloads, 0);
}

TEST_F(RulesTest, RejectedRuleEmptiesTheRulesButKeepsTheText) {
  leave_box_with("colour='red'");
  window.captions.clear();
  // The caption is back before the message; the rules go only after it.
  std::string caption_at_message, rules_at_message;
  ui.on_message = [&](const std::string&) {
    caption_at_message = window.captions.back();
    rules_at_message = state->item_rules;
  };
  rules::Command3_Click(*state, ui, window);
  EXPECT_EQ(ui.messages, Texts{"Error in Query - check the field names and syntax"});
  EXPECT_EQ(caption_at_message, "Test Query");
  EXPECT_EQ(rules_at_message, " AND colour='red'");
  EXPECT_EQ(window.captions, (Texts{"Working..", "Test Query"}));
  EXPECT_EQ(state->item_rules, "");
  EXPECT_EQ(state->current_sql, "");
  EXPECT_EQ(window.r, "colour='red'");
  rules::ok_Click(window);  // OK straight after: a run uses no rules
  loot::Generate_item_class_sql(*state);
  EXPECT_EQ(loot::item_query(*state), "SELECT id from items WHERE ( itemtype=10)");

  state->db_password = "not the password";  // a lost server is left to the caller
  leave_box_with("ac>=0");
  EXPECT_THROW(rules::Command3_Click(*state, ui, window), db::ConnectionFailed);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(state->item_rules, " AND ac>=0");
}

}  // namespace
}  // namespace vl::test
