#include "ui/qt_ui.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

#include "app/window/window_text.h"
#include "ui/qt_text.h"

namespace vl::ui {

void show_message_box(QWidget* parent, const std::string& text) {
  QMessageBox box(parent);
  box.setWindowTitle(QString::fromLatin1(kMessageBoxTitle));
  box.setIcon(QMessageBox::NoIcon);
  box.setTextFormat(Qt::PlainText);
  box.setText(display_text(text));
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtUi::message_box(const std::string& text) {
  const std::string shown = window_text(text);
  if (message_service_) {
    message_service_(shown);
  } else {
    show_message_box(message_parent_, shown);
  }
}

void QtUi::process_events() { QCoreApplication::processEvents(); }

void QtUi::repaint() {
  if (repaint_service_) repaint_service_();
}

void QtUi::beep() { QApplication::beep(); }

}  // namespace vl::ui
