#include "ui/rules_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include "ui/filter_background.h"
#include "ui/filter_controls.h"

namespace vl::ui {

RulesWindow::RulesWindow(ProgramState& state, UiPort& ui, std::function<void()> open_help,
                         app::EndProgram end_program)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint),
      state_(state),
      ui_(ui),
      open_help_(std::move(open_help)),
      end_program_(std::move(end_program)),
      background_(paint_filter_background()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("rules"));
  setWindowTitle(QStringLiteral("Rules"));
  setFixedSize(twips(0, 0, 5595, 4020).size());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0x00, 0x00, 0x40));
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);

  r_ = new FilterTextBox("r", twips(240, 240, 5175, 2895), 12, this);
  QPushButton* command2 =
      add_filter_button(this, "Command2", "Ignore", twips(3840, 3240, 855, 495));
  command3_ = add_filter_button(this, "Command3", "Test Query", twips(240, 3240, 1815, 495));
  QPushButton* command1 = add_filter_button(this, "Command1", "?", twips(4800, 3240, 495, 495));
  QPushButton* ok = add_filter_button(this, "ok", "OK", twips(2160, 3240, 495, 495));
  setTabOrder(r_, command2);
  setTabOrder(command2, command3_);
  setTabOrder(command3_, command1);
  setTabOrder(command1, ok);
  r_->setFocus();

  rules::Form_Load(state_, *this);

  connect(r_, &FilterTextBox::lost_focus, this, &RulesWindow::r_LostFocus);
  connect(ok, &QPushButton::clicked, this, &RulesWindow::ok_Click);
  connect(command1, &QPushButton::clicked, this, &RulesWindow::Command1_Click);
  connect(command2, &QPushButton::clicked, this, &RulesWindow::Command2_Click);
  connect(command3_, &QPushButton::clicked, this, &RulesWindow::Command3_Click);
}

RulesWindow::~RulesWindow() {
  // The box may lose the focus while it is destroyed; nothing may act on it then.
  disconnect(r_, nullptr, this, nullptr);
}

std::string RulesWindow::r_text() const { return r_->model_text(); }
void RulesWindow::set_r_text(const std::string& text) { r_->set_model_text(text); }
void RulesWindow::set_Command3_caption(const std::string& caption) {
  command3_->setText(QString::fromStdString(caption));
}
void RulesWindow::unload() { close(); }

void RulesWindow::r_LostFocus() { rules::r_LostFocus(state_, *this); }
void RulesWindow::ok_Click() { rules::ok_Click(*this); }
void RulesWindow::Command1_Click() {
  if (open_help_) open_help_();
}
void RulesWindow::Command2_Click() { rules::Command2_Click(state_, *this); }
void RulesWindow::Command3_Click() {
  app::run_command(
      state_, ui_,
      [this](ProgramState& state, UiPort& ui) { rules::Command3_Click(state, ui, *this); },
      end_program_);
}

void RulesWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), background_, event->rect());
}

void RulesWindow::mousePressEvent(QMouseEvent* event) { drag_.press(*this, *event); }
void RulesWindow::mouseMoveEvent(QMouseEvent* event) { drag_.move(*this, *event); }
void RulesWindow::mouseReleaseEvent(QMouseEvent*) { drag_.release(); }

}  // namespace vl::ui
