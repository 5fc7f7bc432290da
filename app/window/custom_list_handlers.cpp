#include "app/window/custom_list_handlers.h"

namespace vl::custom_list {
namespace {

void show_no_list(ProgramState& state) {
  state.form1.set_caption(Form1Control::Command6, captions::kNoCustomList);
}

}  // namespace

void ok_Click(ProgramState& state, UiPort& ui, ListControls& window) {
  const ListFill fill = fill_list_slots(window.customlist_text(), state.custom_item_ids);
  ui.message_box(list_message(fill));
  if (!fill.fits) return;
  state.custom_list_active = true;
  const std::string n = std::to_string(fill.line_breaks);
  state.form1.set_caption(Form1Control::Command6, "Custom Item List - [" + n + " items]");
  state.form1.set_enabled(Form1Control::Command5, false);
  window.unload();
}

void Command1_Click(ProgramState& state, ListControls& window) {
  window.set_customlist_text("");
  state.custom_list_active = false;
  show_no_list(state);
}

void Command2_Click(ListControls& window) { window.unload(); }

void clearlist_Click(ProgramState& state, UiPort& ui) {
  clear_slots(state.custom_item_ids);
  state.form1.set_enabled(Form1Control::Command5, true);
  state.custom_list_active = false;
  ui.message_box("Custom List Deleted!");
  show_no_list(state);
}

}  // namespace vl::custom_list
