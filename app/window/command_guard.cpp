#include "app/window/command_guard.h"

#include <array>
#include <exception>

#include "db/database.h"

namespace vl::app {
namespace {

constexpr std::array kButtons = {
    Form1Control::Command1, Form1Control::Command2, Form1Control::Command3, Form1Control::Command4,
    Form1Control::Command5, Form1Control::Command6, Form1Control::clearlist};

// What a failed command may have left half-way: disabled buttons, a
// "WORKING..." caption, a shrunk progress line.
class ControlSnapshot {
 public:
  explicit ControlSnapshot(const Form1Model& form)
      : lx_(form.lx()), progress_x2_(form.progress().x2) {
    for (std::size_t i = 0; i < kButtons.size(); ++i) buttons_[i] = form.button(kButtons[i]);
  }

  void restore(Form1Model& form) const {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
      const ButtonState& now = form.button(kButtons[i]);
      if (now.caption != buttons_[i].caption) form.set_caption(kButtons[i], buttons_[i].caption);
      if (now.enabled != buttons_[i].enabled) form.set_enabled(kButtons[i], buttons_[i].enabled);
    }
    if (form.lx() != lx_) form.set_lx(lx_);
    if (form.progress().x2 != progress_x2_) form.set_progress_x2(progress_x2_);
  }

 private:
  std::array<ButtonState, kButtons.size()> buttons_;
  std::string lx_;
  double progress_x2_;
};

}  // namespace

void run_command(ProgramState& state, UiPort& ui, const Command& command,
                 const EndProgram& end_program) {
  const ControlSnapshot before(state.form1);
  try {
    command(state, ui);
  } catch (...) {
    const Failure failure = failure_of(std::current_exception());
    if (failure.connection_lost) {
      ui.message_box(failure.message);
      end_program(kExitConnectionFailed);
      return;
    }
    before.restore(state.form1);
    ui.message_box(failure.message);
  }
}

}  // namespace vl::app
