#pragma once
// The main window's way into the rules and custom item list windows: "Rules"
// and the custom list button open them modeless, loading a closed one afresh
// and only bringing a shown one forward; "Remove Item List" drops the list;
// quitting unloads the rules window.

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "ui/custom_item_list_window.h"
#include "ui/rules_window.h"

namespace vl::ui {

class Form1Window;

class FilterWindows : public QObject {
  Q_OBJECT
 public:
  // Lives as long as `main` and fills its hooks for the secondary windows.
  FilterWindows(ProgramState& state, UiPort& ui, Form1Window& main);
  ~FilterWindows() override;

  void Command5_Click();
  void Command6_Click();
  void clearlist_Click();
  void unload_rules();

  // The loaded windows, or nullptr.
  RulesWindow* rules_window() const { return rules_; }
  CustomItemListWindow* list_window() const { return list_; }

 private:
  ProgramState& state_;
  UiPort& ui_;
  Form1Window& main_;
  QPointer<RulesWindow> rules_;
  std::unique_ptr<UiPort> rules_ui_;
  QPointer<CustomItemListWindow> list_;
};

}  // namespace vl::ui
