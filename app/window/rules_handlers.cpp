#include "app/window/rules_handlers.h"

#include "app/window/window_loot.h"

namespace vl::rules {
namespace {

void take_rules_from(ProgramState& state, const std::string& text) {
  state.item_rules = rules_condition(text, state.item_rules);
}

}  // namespace

void Form_Load(ProgramState& state, RulesControls& window) {
  window.set_r_text(window.r_text() + std::string(kDefaultRuleText));
  take_rules_from(state, window.r_text());
}

void r_LostFocus(ProgramState& state, const RulesControls& window) {
  take_rules_from(state, window.r_text());
}

void ok_Click(RulesControls& window) { window.unload(); }

void Command2_Click(ProgramState& state, RulesControls& window) {
  state.item_rules.clear();
  window.set_r_text("");
  state.current_sql.clear();
  window.unload();
}

void Command3_Click(ProgramState& state, UiPort& ui, RulesControls& window) {
  window.set_Command3_caption(std::string(kWorkingCaption));
  loot::Generate_item_class_sql(state);
  const RulesTest test = test_rules(state, loot::item_query_clause(state));
  window.set_Command3_caption(std::string(kTestQueryCaption));
  ui.message_box(test.message);
  if (!test.passed) {
    state.item_rules.clear();
    state.current_sql.clear();
  }
}

}  // namespace vl::rules
