#pragma once
// The main window Form1: shows the controls' state kept in ProgramState::form1
// and turns the user's input into model changes and handler calls.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "app/ui_port.h"
#include "app/window/command_guard.h"
#include "app/window/program_state.h"
#include "app/window/window_journal.h"
#include "loot/catalog.h"
#include "ui/background_drag.h"
#include "ui/command_turns.h"
#include "ui/help_window.h"
#include "ui/history_window.h"
#include "ui/preview_window.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QRadioButton;

namespace vl::ui {

class HotSpot;
class LineControl;
class WrappingButton;

class Form1Window : public QWidget {
  Q_OBJECT
 public:
  // Builds the window from the current state of state.form1 and follows its
  // changes from then on. Commands report through `ui`; Execute, delete and
  // Repair are journaled in `journal`.
  Form1Window(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
              QWidget* parent = nullptr);
  ~Form1Window() override;

  // Hooks for the rules and custom item list windows, which are built apart
  // from this one. An unset hook does nothing.
  struct SecondaryWindows {
    std::function<void()> Command5_Click;   // "Rules": opens the rules window
    std::function<void()> Command6_Click;   // opens the custom item list window
    std::function<void()> clearlist_Click;  // "Remove Item List"
    std::function<void()> unload_rules;     // quit: unloads the rules window if loaded
  };
  SecondaryWindows secondary;

  // How the program ends (quit, lost connection). Tests replace it.
  app::EndProgram end_program;

  // The help window, opened by the rules window's "?".
  HelpWindowOpener& help_window() { return help_window_; }

  // The History window, opened by the background menu and Ctrl+H.
  HistoryWindowOpener& history_window() { return history_window_; }
  // The Preview window, opened by the background menu and Ctrl+P.
  PreviewWindowOpener& preview_window() { return preview_window_; }

  // Paints the controls that changed since the last paint, at once.
  void repaint_changed();

 public slots:  // NOLINT(readability-redundant-access-specifiers)
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void clearlist_Click();
  void level_Click();
  void quit_Click();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;  // Form_MouseMove
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_controls();
  void set_focus_order();
  template <typename Label = QLabel>
  QLabel* add_label(const char* name, QRect geometry, const char* caption, Qt::Alignment align);
  QLineEdit* add_text_box(Form1Control box, const char* name, QRect geometry);
  WrappingButton* add_button(Form1Control which, const char* name, QRect geometry, bool pale);
  void show_control(Form1Control control);
  void show_all_controls();
  void run(const app::Command& command);
  void run_hook(const std::function<void()>& hook);
  // The background menu and its keys (form1_menu.cpp): the keys are off while
  // a text box has the focus, and a right click on a label is one on the
  // background.
  void add_menu_keys();
  void pass_label_right_clicks();
  void background_right_button(const QMouseEvent& event);
  void show_background_menu(QPoint at);
  // Tab order (form1_focus.cpp): the option group is one stop, its selected
  // option, and the arrow keys move inside it.
  void keep_one_option_stop();

  ProgramState& state_;
  UiPort& ui_;
  app::WindowJournal& journal_;
  std::function<void(Form1Control)> previous_on_changed_;
  QImage background_;
  BackgroundDrag drag_;
  CommandTurns turns_;  // the History and Preview windows wait for the commands
  HelpWindowOpener help_window_;
  HistoryWindowOpener history_window_;
  PreviewWindowOpener preview_window_;
  QPoint right_press_;  // where the right button went down, for the background menu

  QListWidget* level_ = nullptr;
  std::array<QRadioButton*, loot::kLootCategoryCount> op_{};
  QButtonGroup* op_group_ = nullptr;
  std::map<Form1Control, QLineEdit*> text_boxes_;
  QMetaObject::Connection focus_watch_;  // switches the menu keys off in a text box
  std::map<Form1Control, WrappingButton*> buttons_;
  QLabel* lx_ = nullptr;
  QLabel* statistical_ = nullptr;
  std::array<QLabel*, loot::kLevelRangeCount + 1> lvls_{};  // lvls_[1] is lvls(1)
  LineControl* progress_ = nullptr;
  HotSpot* quit_ = nullptr;
  std::vector<QPointer<QWidget>> changed_widgets_;
};

}  // namespace vl::ui
