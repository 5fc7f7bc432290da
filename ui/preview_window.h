#pragma once
// The Preview window: the plan of the run Execute would make with the main
// window's settings now, what it changes for the players, and the plan
// written all at once in one transaction, or saved as a script or a report.
// Planning and writing run on a thread of their own; the windows repaint
// meanwhile and Cancel stops the work at its next step.

#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui_port.h"
#include "app/window/preview_aim.h"
#include "app/window/preview_run.h"
#include "app/window/program_state.h"
#include "app/window/window_journal.h"
#include "ui/command_turns.h"

class QThread;
class QTimer;
namespace Ui {
class PreviewWindow;
}

namespace vl::ui {

class PreviewModel;

class PreviewWindow : public QWidget {
  Q_OBJECT
 public:
  PreviewWindow(ProgramState& state, UiPort& ui, app::WindowJournal& journal, CommandTurns& turns);
  ~PreviewWindow() override;

  // Asked before writing; a question box unless replaced (tests).
  app::Question ask;
  // The file to save to, "" for none; a file dialog unless replaced (tests).
  std::function<QString(const QString& caption, const QString& filter)> choose_file;

  // Plans with the seed in the Seed box and the main window's settings now.
  void plan();
  bool working() const { return worker_ != nullptr; }
  // The plan shown; nullptr while there is none.
  const app::Preview* preview() const { return preview_.get(); }

 public slots:  // NOLINT(readability-redundant-access-specifiers)
  void write_Click();
  void save_sql_Click();
  void save_report_Click();
  void cancel_Click();

 signals:
  void work_ended();  // a plan or a write has ended and is shown

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Work { none, planning, writing };
  void start(Work work, const std::function<void()>& job);
  void work_finished();
  void show_planned();
  void write_now();
  void update_controls();
  void show_no_plan(const std::string& message);  // in place of the totals; nothing else shown
  app::ChosenAim chosen_aim() const;              // of the Aim choice and its percent
  app::WindowSettings settings_now() const;       // the main window's and the copies box's
  bool stale() const;
  void hold_main_window(bool hold);
  void save(const QString& caption, const QString& filter,
            std::string (*write)(const app::Preview&, const std::string&));

  std::unique_ptr<::Ui::PreviewWindow> form_;
  ProgramState& state_;
  UiPort& ui_;
  app::WindowJournal& journal_;
  CommandTurns& turns_;
  PreviewModel* model_ = nullptr;
  QTimer* ticker_ = nullptr;
  std::shared_ptr<app::Preview> preview_;
  bool written_ = false;  // the plan shown has been written
  // The journal's run of that write, named in the window so that History finds it.
  std::optional<std::int64_t> written_run_;
  bool write_after_plan_ = false;
  QString settings_changed_;    // the stale mark's words when the main window's settings changed
  std::array<bool, 4> held_{};  // Execute, delete, Repair, Show Stats as they were

  // Shared with the worker: set before it starts, read after it finished.
  QThread* worker_ = nullptr;
  Work work_ = Work::none;
  std::atomic<bool> cancel_{false};
  std::atomic<int> step_{0};
  app::PreviewOutcome planned_;
  app::PreviewWrite write_result_;
  std::shared_ptr<app::Preview> written_preview_;
};

// Opens the Preview modeless and plans, or brings the open one forward.
class PreviewWindowOpener {
 public:
  PreviewWindowOpener(ProgramState& state, UiPort& ui, app::WindowJournal& journal,
                      CommandTurns& turns)
      : state_(state), ui_(ui), journal_(journal), turns_(turns) {}
  PreviewWindowOpener(const PreviewWindowOpener&) = delete;
  PreviewWindowOpener& operator=(const PreviewWindowOpener&) = delete;
  ~PreviewWindowOpener();

  void open();
  PreviewWindow* window() const { return window_; }

 private:
  ProgramState& state_;
  UiPort& ui_;
  app::WindowJournal& journal_;
  CommandTurns& turns_;
  QPointer<PreviewWindow> window_;
};

}  // namespace vl::ui
