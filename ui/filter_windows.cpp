#include "ui/filter_windows.h"

#include "app/window/custom_list_handlers.h"
#include "ui/form1_window.h"
#include "ui/qt_ui.h"

namespace vl::ui {
namespace {

// The rules window stays above every other window, so its message boxes must
// belong to it to be seen; everything else goes to the program's own port.
class RulesWindowUi : public UiPort {
 public:
  RulesWindowUi(UiPort& base, QWidget& main, const QPointer<RulesWindow>& owner)
      : base_(base), main_(main), owner_(owner) {}

  void message_box(const std::string& text) override {
    auto* qt = dynamic_cast<QtUi*>(&base_);
    if (qt != nullptr) qt->set_message_parent(owner_);
    base_.message_box(text);
    if (qt != nullptr) qt->set_message_parent(&main_);
  }
  void process_events() override { base_.process_events(); }
  void repaint() override { base_.repaint(); }
  void beep() override { base_.beep(); }

 private:
  UiPort& base_;
  QWidget& main_;
  const QPointer<RulesWindow>& owner_;
};

void bring_forward(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

FilterWindows::FilterWindows(ProgramState& state, UiPort& ui, Form1Window& main)
    : QObject(&main),
      state_(state),
      ui_(ui),
      main_(main),
      rules_ui_(std::make_unique<RulesWindowUi>(ui, main, rules_)) {
  main.secondary.Command5_Click = [this] { Command5_Click(); };
  main.secondary.Command6_Click = [this] { Command6_Click(); };
  main.secondary.clearlist_Click = [this] { clearlist_Click(); };
  main.secondary.unload_rules = [this] { unload_rules(); };
}

FilterWindows::~FilterWindows() {
  delete rules_.data();
  delete list_.data();
}

void FilterWindows::Command5_Click() {
  if (rules_ == nullptr) {
    rules_ = new RulesWindow(
        state_, *rules_ui_, [this] { main_.help_window().open(); },
        [this](int exit_code) { main_.end_program(exit_code); });
  }
  bring_forward(*rules_);
}

void FilterWindows::Command6_Click() {
  if (list_ == nullptr) list_ = new CustomItemListWindow(state_, ui_);
  bring_forward(*list_);
}

void FilterWindows::clearlist_Click() { custom_list::clearlist_Click(state_, ui_); }

void FilterWindows::unload_rules() {
  if (rules_ != nullptr) rules_->close();
}

}  // namespace vl::ui
