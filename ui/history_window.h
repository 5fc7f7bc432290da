#pragma once
// The History window: the journal's runs, newest first, and Undo for the
// selected one; at its top why undo is unavailable, when it is. Opened from
// the main window's background menu or Ctrl+H. Undo takes its turn with the
// main window's commands: it waits while the Preview writes, and the
// Preview's write waits while it undoes.

#include <QPointer>
#include <QWidget>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "app/window/window_journal.h"
#include "ui/command_turns.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vl::ui {

class HistoryWindow : public QWidget {
  Q_OBJECT
 public:
  HistoryWindow(ProgramState& state, UiPort& ui, app::WindowJournal& journal, CommandTurns& turns);

  // Asked before Undo changes the world; a question box unless replaced (tests).
  app::Question ask;

  // Reads the runs from the journal again.
  void refresh();

 public slots:  // NOLINT(readability-redundant-access-specifiers)
  void undo_Click();

 private:
  void show_selected();
  std::int64_t selected_run() const;

  ProgramState& state_;
  UiPort& ui_;
  app::WindowJournal& journal_;
  CommandTurns& turns_;
  std::vector<journal::RunInfo> runs_;
  QTableWidget* runs_table_ = nullptr;
  QLabel* unavailable_ = nullptr;  // at the top: why undo is unavailable, if it is
  QLabel* why_ = nullptr;
  QPushButton* undo_ = nullptr;
};

// Opens the History window modeless, or brings it forward and refreshes it.
class HistoryWindowOpener {
 public:
  HistoryWindowOpener(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
                      CommandTurns& turns)
      : state_(state), ui_(ui), journal_(journal), turns_(turns) {}
  HistoryWindowOpener(const HistoryWindowOpener&) = delete;
  HistoryWindowOpener& operator=(const HistoryWindowOpener&) = delete;
  ~HistoryWindowOpener();

  void open();
  HistoryWindow* window() const { return window_; }

 private:
  ProgramState& state_;
  UiPort& ui_;
  app::WindowJournal& journal_;
  CommandTurns& turns_;
  QPointer<HistoryWindow> window_;
};

}  // namespace vl::ui
