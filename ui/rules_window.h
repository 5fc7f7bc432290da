#pragma once
// The rules window: extra SQL conditions on the items a generation run draws
// from, with a count query to try them. Topmost, modeless, dragged by its
// background; closing it unloads it.

#include <QImage>
#include <QWidget>
#include <functional>

#include "app/ui_port.h"
#include "app/window/command_guard.h"
#include "app/window/program_state.h"
#include "app/window/rules_handlers.h"
#include "ui/background_drag.h"

class QPushButton;

namespace vl::ui {

class FilterTextBox;

class RulesWindow : public QWidget, public rules::RulesControls {
  Q_OBJECT
 public:
  // Loading (Form_Load) runs here. `open_help` shows the help window;
  // `end_program` ends the program after a lost connection.
  RulesWindow(ProgramState& state, UiPort& ui, std::function<void()> open_help,
              app::EndProgram end_program);
  ~RulesWindow() override;

  std::string r_text() const override;
  void set_r_text(const std::string& text) override;
  void set_Command3_caption(const std::string& caption) override;
  void unload() override;

 public slots:
  void r_LostFocus();
  void ok_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;  // Form_MouseMove
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ProgramState& state_;
  UiPort& ui_;
  std::function<void()> open_help_;
  app::EndProgram end_program_;
  QImage background_;
  BackgroundDrag drag_;
  FilterTextBox* r_ = nullptr;
  QPushButton* command3_ = nullptr;
};

}  // namespace vl::ui
