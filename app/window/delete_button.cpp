#include "app/window/delete_button.h"

#include "maintenance/drop_removal.h"

namespace vl::maintenance {

void Command1_Click(ProgramState& state, UiPort& ui) {
  if (state.level_low.empty() || state.level_high.empty()) return;
  Form1Model& form = state.form1;
  form.set_caption(Form1Control::Command1, "WORKING...");
  const DeleteOutcome outcome =
      delete_custom_drops(state, state.level_low + "-" + state.level_high, {});
  form.set_caption(Form1Control::Command1, captions::kDeleteDrops);
  if (outcome.ending == Ending::completed) {
    ui.beep();
  } else {
    ui.message_box(outcome.message);
  }
}

}  // namespace vl::maintenance
