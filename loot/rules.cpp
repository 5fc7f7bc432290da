#include "loot/rules.h"

#include "db/database.h"
#include "loot/categories.h"

namespace vl::rules {
namespace {

void take_rules_from(ProgramState& state, const std::string& text) {
  // An empty box never turns into " AND " with nothing behind it.
  if (!text.empty()) state.item_rules = " AND " + text;
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
  std::string count;
  try {
    loot::Generate_item_class_sql(state);
    state.current_sql = std::string(kTestQueryHead) + loot::item_query_clause(state);
    db::open_database(state);
    db::open_recordset(state);
    count = state.db_recordset->field(std::size_t{0}).text();
    state.db_recordset->close();
  } catch (const db::Error&) {
    window.set_Command3_caption(std::string(kTestQueryCaption));
    ui.message_box(std::string(kQueryErrorMessage));
    state.item_rules.clear();
    state.current_sql.clear();
    return;
  }
  window.set_Command3_caption(std::string(kTestQueryCaption));
  ui.message_box("Query Passed: " + count + " items match criteria");
}

}  // namespace vl::rules
