#include "ui/filter_windows.h"

#include "loot/custom_list.h"
#include "ui/form1_window.h"

namespace vl::ui {
namespace {

void bring_forward(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

FilterWindows::FilterWindows(ProgramState& state, UiPort& ui, Form1Window& main)
    : QObject(&main), state_(state), ui_(ui), main_(main) {
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
        state_, ui_, [this] { main_.help_window().open(); },
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
