#include "app/window/generation_run.h"

#include <optional>

#include "app/window/window_inputs.h"

namespace vl::loot {
namespace {

void end_run(ProgramState& state, std::optional<double> x2_before) {
  if (state.db_connection && state.db_connection->is_open()) state.db_connection->close();
  if (x2_before) state.form1.set_progress_x2(*x2_before);
  state.form1.set_lx(">Ready");
  state.form1.set_enabled(Form1Control::Command2, true);
  state.form1.set_enabled(Form1Control::Command3, true);
}

}  // namespace

void Command2_Click(ProgramState& state, UiPort& ui) {
  if (state.level_high.empty() || state.level_low.empty()) return;

  state.form1.set_enabled(Form1Control::Command2, false);
  state.form1.set_enabled(Form1Control::Command3, false);

  WindowInputs inputs(state);
  WalkLine line;
  const GenerateOutcome outcome =
      generate(state, state.random, inputs, window_events(state, ui, line));
  // Fatal, or a fault the command guard shows: the controls go back as they were.
  if (outcome.thrown) std::rethrow_exception(outcome.thrown);
  end_run(state, line.x2_before);
  ui.message_box(outcome.message);
}

}  // namespace vl::loot
