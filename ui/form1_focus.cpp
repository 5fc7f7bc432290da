// The main window's tab order: the controls in their order, the option group
// as one stop between Command4 and Command5.

#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "ui/controls.h"
#include "ui/form1_window.h"

namespace vl::ui {

void Form1Window::set_focus_order() {
  std::vector<QWidget*> order = {level_, buttons_[Form1Control::Command1],
                                 text_boxes_[Form1Control::perc_of_npcs],
                                 buttons_[Form1Control::Command4]};
  order.insert(order.end(), op_.begin(), op_.end());
  for (Form1Control next : {Form1Control::Command5, Form1Control::Command2, Form1Control::Command3,
                            Form1Control::Command6, Form1Control::clearlist}) {
    order.push_back(buttons_[next]);
  }
  for (Form1Control next : {Form1Control::item_max, Form1Control::lootdrop_percentx,
                            Form1Control::loottable_percentx}) {
    order.push_back(text_boxes_[next]);
  }
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  // Qt makes a group one stop only once one of its options had the focus.
  keep_one_option_stop();
  connect(op_group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) keep_one_option_stop();
  });
}

void Form1Window::keep_one_option_stop() {
  QAbstractButton* stop = op_group_->checkedButton();
  if (!stop) stop = op_.front();
  for (QRadioButton* option : op_) {
    option->setFocusPolicy(option == stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

}  // namespace vl::ui
