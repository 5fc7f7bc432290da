// The main window's background menu and its keys: the Preview and the History
// window, neither opened while a command of the main window runs.

#include <QMenu>
#include <QShortcut>

#include "ui/form1_window.h"

namespace vl::ui {
namespace {

const char* const kPreviewKeys = "Ctrl+P";
const char* const kHistoryKeys = "Ctrl+H";

}  // namespace

void Form1Window::add_menu_keys() {
  connect(new QShortcut(QKeySequence(kPreviewKeys), this), &QShortcut::activated, this, [this] {
    if (!turns_.main_command_running()) preview_window_.open();
  });
  connect(new QShortcut(QKeySequence(kHistoryKeys), this), &QShortcut::activated, this, [this] {
    if (!turns_.main_command_running()) history_window_.open();
  });
}

void Form1Window::show_background_menu(QPoint at) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("background_menu"));
  QAction* preview = menu.addAction(QStringLiteral("Preview..."));
  preview->setShortcut(QKeySequence(kPreviewKeys));
  connect(preview, &QAction::triggered, this, [this] { preview_window_.open(); });
  QAction* history = menu.addAction(QStringLiteral("History..."));
  history->setShortcut(QKeySequence(kHistoryKeys));
  connect(history, &QAction::triggered, this, [this] { history_window_.open(); });
  menu.exec(at);
}

}  // namespace vl::ui
