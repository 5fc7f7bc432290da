#include "app/window/form1_logic.h"

#include "config/db_ini.h"
#include "core/numeric_text.h"
#include "loot/catalog.h"
#include "loot/run_rules.h"

namespace vl {

bool read_db_ini(ProgramState& state, UiPort& ui, const std::string& path) {
  const DbIni ini = read_db_ini(path);
  state.db_host = ini.host;
  state.db_user = ini.user;
  state.db_password = ini.password;
  state.db_name = ini.database;
  state.everquest_folder = ini.everquest_folder;
  if (db_ini_complete(ini)) return true;
  ui.message_box(kDbIniInvalidMessage);
  return false;
}

namespace form1 {

void install_handlers(ProgramState& state) {
  state.form1.on_text_changed = [&state](Form1Control box) {
    if (box == Form1Control::item_max) item_max_Change(state);
  };
}

bool Form_Load(ProgramState& state, UiPort& ui, const std::string& ini_path) {
  install_handlers(state);
  Form1Model& form = state.form1;

  for (const loot::LevelRange& range : loot::kLevelRanges) {
    form.add_level_entry(std::string(range.entry));
  }

  if (!read_db_ini(state, ui, ini_path)) return false;

  // The first range is in force although no list entry is selected.
  state.level_low = "01";
  state.level_high = "10";

  state.stats_category_words.clear();
  for (const loot::LootCategory& category : loot::kLootCategories) {
    state.stats_category_words.emplace_back(category.stats_word);
  }

  for (const std::string& word : state.stats_category_words) {
    form.set_statistical(form.statistical() + word + "\r\n");
  }

  if (auto count = to_int16(numeric_value(form.text(Form1Control::item_max)))) {
    state.item_max_count = *count;
  }
  return true;
}

void item_max_Change(ProgramState& state) {
  Form1Model& form = state.form1;
  const std::string settled = loot::settled_items_per_drop(form.text(Form1Control::item_max));
  // Writing the text raises this handler again, nested, before we go on.
  if (settled != form.text(Form1Control::item_max)) form.set_text(Form1Control::item_max, settled);
  state.item_max_count = *to_int16(numeric_value(settled));
}

void level_Click(ProgramState& state) {
  const Form1Model& form = state.form1;
  const int selected = form.level_selected();
  const std::string entry =
      selected >= 0 && selected < static_cast<int>(form.level_entries().size())
          ? form.level_entries()[selected]
          : std::string();
  const loot::LevelBounds bounds = loot::level_bounds(entry);
  state.level_low = bounds.low;
  state.level_high = bounds.high;
}

bool level_selection_changed(ProgramState& state, int row) {
  if (row < 0 || row == state.form1.level_selected()) return false;
  state.form1.select_level(row);
  level_Click(state);
  return true;
}

}  // namespace form1
}  // namespace vl
