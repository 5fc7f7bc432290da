#include "ui/filter_controls.h"

#include <QFocusEvent>
#include <QPushButton>

#include "ui/application_setup.h"
#include "ui/qt_text.h"

namespace vl::ui {

FilterTextBox::FilterTextBox(const char* name, QRect geometry, double points, QWidget* parent)
    : QPlainTextEdit(parent) {
  setObjectName(QString::fromLatin1(name));
  setGeometry(geometry);
  setFont(window_font(QStringLiteral("Verdana"), points, false));
  QPalette colours = palette();
  colours.setColor(QPalette::Base, QColor(0x00, 0x00, 0x40));
  colours.setColor(QPalette::Text, Qt::white);
  setPalette(colours);
  setTabChangesFocus(true);
}

std::string FilterTextBox::model_text() const { return ui::model_text(toPlainText()); }

void FilterTextBox::set_model_text(const std::string& text) { setPlainText(display_text(text)); }

void FilterTextBox::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) emit lost_focus();
}

QPushButton* add_filter_button(QWidget* parent, const char* name, const char* caption,
                               QRect geometry) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setFont(window_font(QStringLiteral("MS Sans Serif"), 8.25, false));
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace vl::ui
