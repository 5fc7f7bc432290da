#include "ui/custom_item_list_window.h"

#include <QPainter>
#include <QPushButton>

#include "ui/filter_background.h"
#include "ui/filter_controls.h"

namespace vl::ui {

CustomItemListWindow::CustomItemListWindow(ProgramState& state, UiPort& ui)
    : QWidget(nullptr, Qt::Window), state_(state), ui_(ui), background_(paint_filter_background()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("Custom_item_list"));
  setWindowTitle(QStringLiteral("List of Items"));
  setFixedSize(twips(0, 0, 5610, 4605).size());

  customlist_ = new FilterTextBox("customlist", twips(240, 240, 5175, 3615), 9, this);
  QPushButton* ok = add_filter_button(this, "ok", "GO", twips(360, 4080, 495, 495));
  QPushButton* command2 =
      add_filter_button(this, "Command2", "Nevermind", twips(1440, 4080, 1095, 495));
  QPushButton* command1 =
      add_filter_button(this, "Command1", "Clear List", twips(3000, 4080, 1095, 495));
  setTabOrder(customlist_, ok);
  setTabOrder(ok, command2);
  setTabOrder(command2, command1);
  customlist_->setFocus();

  connect(ok, &QPushButton::clicked, this, &CustomItemListWindow::ok_Click);
  connect(command1, &QPushButton::clicked, this, &CustomItemListWindow::Command1_Click);
  connect(command2, &QPushButton::clicked, this, &CustomItemListWindow::Command2_Click);
}

std::string CustomItemListWindow::customlist_text() const { return customlist_->model_text(); }
void CustomItemListWindow::set_customlist_text(const std::string& text) {
  customlist_->set_model_text(text);
}
void CustomItemListWindow::unload() { close(); }

void CustomItemListWindow::ok_Click() { custom_list::ok_Click(state_, ui_, *this); }
void CustomItemListWindow::Command1_Click() { custom_list::Command1_Click(state_, *this); }
void CustomItemListWindow::Command2_Click() { custom_list::Command2_Click(*this); }

void CustomItemListWindow::paintEvent(QPaintEvent*) {
  // Beyond the picture the window keeps the toolkit's own background.
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), background_);
}

}  // namespace vl::ui
