#pragma once
// The custom item list window "List of Items": a pasted list of item ids that
// "GO" hands to the generation run. Modeless; closing it unloads it.

#include <QImage>
#include <QWidget>

#include "app/ui_port.h"
#include "app/window/custom_list_handlers.h"
#include "app/window/program_state.h"

namespace vl::ui {

class FilterTextBox;

class CustomItemListWindow : public QWidget, public custom_list::ListControls {
  Q_OBJECT
 public:
  CustomItemListWindow(ProgramState& state, UiPort& ui);

  std::string customlist_text() const override;
  void set_customlist_text(const std::string& text) override;
  void unload() override;

 public slots:
  void ok_Click();
  void Command1_Click();
  void Command2_Click();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ProgramState& state_;
  UiPort& ui_;
  QImage background_;
  FilterTextBox* customlist_ = nullptr;
};

}  // namespace vl::ui
