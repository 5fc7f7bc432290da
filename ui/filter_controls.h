#pragma once
// Controls the rules and custom item list windows share: a multi-line text box
// in white on dark blue, and buttons that take the focus when clicked.

#include <QPlainTextEdit>
#include <QRect>
#include <string>

#include "ui/controls.h"

class QPushButton;

namespace vl::ui {

// A multi-line text box whose text the program reads and writes with CR LF
// line breaks. Tab moves the focus on, as in the other text boxes; pasted tabs
// stay in the text.
class FilterTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  FilterTextBox(const char* name, QRect geometry, double points, QWidget* parent);

  std::string model_text() const;
  void set_model_text(const std::string& text);

 signals:
  // The focus went elsewhere (not to a context menu of the box itself).
  void lost_focus();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

// A button in the windows' default font; clicking it moves the focus to it
// before it acts, so that the text box has reported its text by then.
QPushButton* add_filter_button(QWidget* parent, const char* name, const char* caption,
                               QRect geometry);

}  // namespace vl::ui
