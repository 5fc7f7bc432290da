// The main window's background menu and its keys: the Preview and the History
// window, neither opened while a command of the main window runs.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>

#include "ui/form1_window.h"

namespace vl::ui {
namespace {

const char* const kPreviewKeys = "Ctrl+P";
const char* const kHistoryKeys = "Ctrl+H";

// Labels take no input: a right click on one goes to the background, while
// the left button stays theirs (a drag starts on the bare background only).
class RightClickRelay : public QObject {
 public:
  RightClickRelay(std::function<void(const QMouseEvent&)> background, QObject* parent)
      : QObject(parent), background_(std::move(background)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
      return false;
    const auto& mouse = static_cast<const QMouseEvent&>(*event);
    if (mouse.button() != Qt::RightButton) return false;
    background_(mouse);
    return true;
  }

 private:
  std::function<void(const QMouseEvent&)> background_;
};

}  // namespace

void Form1Window::add_menu_keys() {
  auto* preview = new QShortcut(QKeySequence(kPreviewKeys), this);
  connect(preview, &QShortcut::activated, this, [this] {
    if (!turns_.main_command_running()) preview_window_.open();
  });
  auto* history = new QShortcut(QKeySequence(kHistoryKeys), this);
  connect(history, &QShortcut::activated, this, [this] {
    if (!turns_.main_command_running()) history_window_.open();
  });
  // In a text box the keys are the box's own.
  focus_watch_ = connect(qApp, &QApplication::focusChanged, this, [this, preview, history] {
    bool typing = false;
    for (const auto& [control, box] : text_boxes_) typing = typing || box == focusWidget();
    preview->setEnabled(!typing);
    history->setEnabled(!typing);
  });
}

void Form1Window::pass_label_right_clicks() {
  auto* relay = new RightClickRelay(
      [this](const QMouseEvent& event) { background_right_button(event); }, this);
  for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
    label->installEventFilter(relay);
}

void Form1Window::background_right_button(const QMouseEvent& event) {
  if (event.button() != Qt::RightButton) return;
  const QPoint at = event.globalPosition().toPoint();
  if (event.type() == QEvent::MouseButtonPress) {
    right_press_ = at;
    return;
  }
  // A right click opens the menu; a right-button drag does nothing, and so does
  // a click while a command runs (its modal menu would hold the run up).
  if (!turns_.main_command_running() &&
      (at - right_press_).manhattanLength() < QApplication::startDragDistance())
    show_background_menu(at);
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
