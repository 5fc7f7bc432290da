#include "ui/help_window.h"

#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/application_setup.h"
#include "ui/controls.h"
#include "ui/help_text.h"
#include "ui/qt_text.h"

namespace vl::ui {
namespace {

const QColor kBackground(0x00, 0x00, 0x40);

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("help"));
  setWindowTitle(QStringLiteral("Form2"));
  setFixedSize(twips(0, 0, 6630, 8250).size());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBackground);
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  setAutoFillBackground(true);

  r_ = new QPlainTextEdit(this);
  r_->setObjectName(QStringLiteral("r"));
  r_->setGeometry(twips(600, 360, 5175, 7095));
  r_->setFont(window_font(QStringLiteral("Verdana"), 12, false));
  QPalette text_colours = r_->palette();
  text_colours.setColor(QPalette::Base, kBackground);
  text_colours.setColor(QPalette::Text, Qt::white);
  r_->setPalette(text_colours);
  r_->setPlainText(display_text(help::help_text()));

  command1_ = new QPushButton(QStringLiteral("Back"), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setGeometry(twips(2400, 7680, 1935, 375));
  command1_->setFont(window_font(QStringLiteral("MS Sans Serif"), 8.25, false));
  command1_->setAutoDefault(false);
  command1_->setDefault(false);
  connect(command1_, &QPushButton::clicked, this, &HelpWindow::Command1_Click);

  setTabOrder(r_, command1_);
  r_->setFocus();
}

std::string HelpWindow::r_text() const { return model_text(r_->toPlainText()); }

void HelpWindow::Command1_Click() { close(); }

void HelpWindow::mousePressEvent(QMouseEvent* event) { drag_.press(*this, *event); }
void HelpWindow::mouseMoveEvent(QMouseEvent* event) { drag_.move(*this, *event); }
void HelpWindow::mouseReleaseEvent(QMouseEvent*) { drag_.release(); }

HelpWindowOpener::~HelpWindowOpener() { delete window_.data(); }

void HelpWindowOpener::open() {
  if (window_ == nullptr) {
    window_ = new HelpWindow;
    window_->show();
    return;
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace vl::ui
