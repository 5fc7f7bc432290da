#pragma once
// The main window's commands (History's Undo counted among them) and the
// Preview's write take turns on the world and the journal: each side asks here
// whether the other is at work, and hears when that changes.

#include <QObject>

namespace vl::ui {

class CommandTurns : public QObject {
  Q_OBJECT
 public:
  // Counted: a command may start another while it lets events through.
  bool main_command_running() const { return main_commands_ > 0; }
  void main_command_started() { ++main_commands_, emit changed(); }
  void main_command_ended() { --main_commands_, emit changed(); }

  bool preview_writing() const { return preview_writing_; }
  void set_preview_writing(bool writing) { preview_writing_ = writing, emit changed(); }

 signals:
  void changed();

 private:
  int main_commands_ = 0;
  bool preview_writing_ = false;
};

}  // namespace vl::ui
