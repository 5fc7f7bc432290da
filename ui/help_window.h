#pragma once
// The help window "Form2": example rule texts for the rules window.

#include <QPointer>
#include <QWidget>
#include <string>

#include "ui/background_drag.h"

class QPlainTextEdit;
class QPushButton;

namespace vl::ui {

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // Loading fills the text box afresh (Form_Load).
  explicit HelpWindow(QWidget* parent = nullptr);

  // The text of `r` as the program sees it: lines end in CR LF.
  std::string r_text() const;

 public slots:  // NOLINT(readability-redundant-access-specifiers)
  // Back: unloads the window; anything typed into it is dropped.
  void Command1_Click();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPlainTextEdit* r_ = nullptr;
  QPushButton* command1_ = nullptr;
  BackgroundDrag drag_;
};

// Opens the help window modeless: loads it when it is not loaded, otherwise
// only brings it forward (its text stays as it is).
class HelpWindowOpener {
 public:
  HelpWindowOpener() = default;
  HelpWindowOpener(const HelpWindowOpener&) = delete;
  HelpWindowOpener& operator=(const HelpWindowOpener&) = delete;
  ~HelpWindowOpener();

  void open();
  // The loaded window, or nullptr when it is not loaded.
  HelpWindow* window() const { return window_; }

 private:
  QPointer<HelpWindow> window_;
};

}  // namespace vl::ui
