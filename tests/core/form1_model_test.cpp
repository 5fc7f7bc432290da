#include "app/window/form1_model.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace vl {
namespace {

using C = Form1Control;

TEST(Form1Model, WritesNotifyTheirControlAfterStoringAndRefuseWhatIsOutOfRange) {
  Form1Model form;
  std::vector<C> changes;
  form.on_changed = [&](C control) { changes.push_back(control); };
  form.add_level_entry("01-10");
  form.select_level(0);
  form.select_op(11);
  form.set_statistical("armour\r\n");
  form.set_lvls(1, "3");
  form.set_caption(C::Command3, "Working");
  form.set_enabled(C::Command2, false);
  form.set_progress_x2(10000.5);
  EXPECT_EQ(changes, (std::vector<C>{C::level, C::level, C::op, C::statistical, C::lvls,
                                     C::Command3, C::Command2, C::progress}));

  // Indices and controls out of range are refused without a notification.
  changes.clear();
  EXPECT_THROW(form.select_level(1), std::out_of_range);
  EXPECT_THROW(form.select_op(-2), std::out_of_range);
  EXPECT_THROW(form.set_lvls(2, "x"), std::out_of_range);  // one column per list entry
  EXPECT_THROW(form.text(C::lx), std::invalid_argument);
  EXPECT_THROW(form.button(C::item_max), std::invalid_argument);
  EXPECT_THROW(form.set_caption(C::progress, "x"), std::invalid_argument);
  EXPECT_TRUE(changes.empty());
  form.select_level(-1);  // no selection is allowed
  EXPECT_EQ(form.level_selected(), -1);

  form.on_changed = [&](C) { EXPECT_EQ(form.lx(), ">Ready"); };
  form.set_lx(">Ready");
}

TEST(Form1Model, TextWritesAlwaysRaiseTheChangeEventAndMayReEnter) {
  Form1Model form;
  std::vector<std::string> events;
  form.on_changed = [&](C) { events.push_back("changed"); };
  form.on_text_changed = [&](C box) { events.push_back("text " + form.text(box)); };
  form.set_text(C::item_max, "5");
  form.set_text(C::item_max, "5");  // unchanged
  EXPECT_EQ(events, (std::vector<std::string>{"changed", "text 5", "changed", "text 5"}));

  // A handler that corrects the text through set_text sees the nested event,
  // then the corrected text.
  events.clear();
  form.on_text_changed = [&](C box) {
    events.push_back(form.text(box));
    if (form.text(box) == "150") form.set_text(box, "100");
    events.push_back("after " + form.text(box));
  };
  form.set_text(C::item_max, "150");
  EXPECT_EQ(events, (std::vector<std::string>{"changed", "150", "changed", "100", "after 100",
                                              "after 100"}));
}

}  // namespace
}  // namespace vl
