#include "app/window/repair_button.h"

#include <string>

namespace vl::maintenance {

void Command4_Click(ProgramState& state, UiPort& ui) {
  Form1Model& form = state.form1;
  form.set_lx("WORKING...");
  RepairEvents events;
  events.npc_begins = [&](const RepairCounts& counts) {
    form.set_caption(Form1Control::Command4,
                     "WORKING: " + std::to_string(counts.step) + "/" + std::to_string(counts.npcs));
    ui.repaint();
  };
  const RepairOutcome outcome = repair_npcs(state, state.random, events);
  // Fatal, or a fault the command guard shows: the controls go back as they were.
  if (outcome.thrown) std::rethrow_exception(outcome.thrown);
  switch (outcome.ending) {
    case Ending::completed:
      form.set_caption(Form1Control::Command4, "Repaired");
      form.set_enabled(Form1Control::Command4, false);
      form.set_lx(">Ready");
      return;
    default:
      if (!outcome.no_items) {
        // The button stays usable so that the operator can run the repair
        // again once the cause is fixed.
        form.set_caption(Form1Control::Command4, captions::kRepair);
        form.set_enabled(Form1Control::Command4, true);
      }
      form.set_lx(">Ready");
      ui.message_box(outcome.message);
  }
}

}  // namespace vl::maintenance
