#include "app/window/form1_model.h"

#include <stdexcept>

namespace vl {

Form1Model::Form1Model() = default;

void Form1Model::changed(Form1Control control) {
  if (on_changed) on_changed(control);
}

void Form1Model::add_level_entry(const std::string& entry) {
  level_entries_.push_back(entry);
  changed(Form1Control::level);
}

// -1 clears the selection.
void Form1Model::select_level(int index) {
  if (index < -1 || index >= static_cast<int>(level_entries_.size())) {
    throw std::out_of_range("level index " + std::to_string(index));
  }
  level_selected_ = index;
  changed(Form1Control::level);
}

void Form1Model::select_op(int index) {
  if (index < -1) {
    throw std::out_of_range("op index " + std::to_string(index));
  }
  op_selected_ = index;
  changed(Form1Control::op);
}

std::string& Form1Model::text_slot(Form1Control box) {
  switch (box) {
    case Form1Control::perc_of_npcs:
      return perc_of_npcs_;
    case Form1Control::loottable_percentx:
      return loottable_percentx_;
    case Form1Control::item_max:
      return item_max_;
    case Form1Control::lootdrop_percentx:
      return lootdrop_percentx_;
    default:
      throw std::invalid_argument("not a text box");
  }
}

const std::string& Form1Model::text(Form1Control box) const {
  return const_cast<Form1Model*>(this)->text_slot(box);
}

// A program write raises the change event even when the text stays the same,
// as typing would; the item_max handler re-enters itself through here.
void Form1Model::set_text(Form1Control box, const std::string& text) {
  text_slot(box) = text;
  changed(box);
  if (on_text_changed) on_text_changed(box);
}

void Form1Model::set_lx(const std::string& caption) {
  lx_ = caption;
  changed(Form1Control::lx);
}

void Form1Model::set_statistical(const std::string& caption) {
  statistical_ = caption;
  changed(Form1Control::statistical);
}

const std::string& Form1Model::lvls(int index) const {
  static const std::string kNeverWritten;
  const auto slot = static_cast<std::size_t>(index - 1);
  return index >= 1 && slot < lvls_.size() ? lvls_[slot] : kNeverWritten;
}

void Form1Model::set_lvls(int index, const std::string& caption) {
  if (index < 1 || index > static_cast<int>(level_entries_.size())) {
    throw std::out_of_range("lvls index " + std::to_string(index));
  }
  const auto slot = static_cast<std::size_t>(index - 1);
  if (slot >= lvls_.size()) lvls_.resize(slot + 1);
  lvls_[slot] = caption;
  changed(Form1Control::lvls);
}

ButtonState& Form1Model::button_slot(Form1Control which) {
  switch (which) {
    case Form1Control::Command1:
      return command1_;
    case Form1Control::Command2:
      return command2_;
    case Form1Control::Command3:
      return command3_;
    case Form1Control::Command4:
      return command4_;
    case Form1Control::Command5:
      return command5_;
    case Form1Control::Command6:
      return command6_;
    case Form1Control::clearlist:
      return clearlist_;
    default:
      throw std::invalid_argument("not a button");
  }
}

const ButtonState& Form1Model::button(Form1Control which) const {
  return const_cast<Form1Model*>(this)->button_slot(which);
}

void Form1Model::set_caption(Form1Control which, const std::string& caption) {
  button_slot(which).caption = caption;
  changed(which);
}

void Form1Model::set_enabled(Form1Control which, bool enabled) {
  button_slot(which).enabled = enabled;
  changed(which);
}

void Form1Model::set_progress_x2(double x2) {
  progress_.x2 = x2;
  changed(Form1Control::progress);
}

}  // namespace vl
