#include "core/form1_model.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace vl {
namespace {

using C = Form1Control;

TEST(Form1Model, StartsWithTheDesignValues) {
  Form1Model form;
  EXPECT_EQ(form.text(C::perc_of_npcs), "25");
  EXPECT_EQ(form.text(C::loottable_percentx), "50");
  EXPECT_EQ(form.text(C::item_max), "5");
  EXPECT_EQ(form.text(C::lootdrop_percentx), "10");
  EXPECT_EQ(form.lx(), ">READY");
  EXPECT_EQ(form.op_selected(), 0);
  EXPECT_EQ(form.level_selected(), -1);
  EXPECT_TRUE(form.level_entries().empty());
  EXPECT_EQ(form.button(C::Command1).caption, "Delete ALL Custom Loot Drops For SELECTED Levels");
  EXPECT_EQ(form.button(C::Command2).caption, "Execute");
  EXPECT_EQ(form.button(C::Command3).caption, "Show Stats");
  EXPECT_EQ(form.button(C::Command4).caption, "Repair NPC's Without Lootdrops");
  EXPECT_EQ(form.button(C::Command5).caption, "Rules");
  EXPECT_EQ(form.button(C::Command6).caption, "Custom Item List - NOTHING");
  EXPECT_EQ(form.button(C::clearlist).caption, "Remove Item List");
  EXPECT_TRUE(form.button(C::Command5).enabled);
  EXPECT_EQ(form.progress().x1, 9800);
  EXPECT_EQ(form.progress().x2, 11210);
}

TEST(Form1Model, EverySetterStoresThenNotifies) {
  Form1Model form;
  std::vector<C> changes;
  form.on_changed = [&](C control) { changes.push_back(control); };

  form.add_level_entry("01-10");
  form.add_level_entry("11-20");
  form.select_level(1);
  form.select_op(11);
  form.set_lx("WORKING...");
  form.set_statistical("armour\r\n");
  form.set_lvls(8, "3");
  form.set_caption(C::Command3, "Working");
  form.set_enabled(C::Command2, false);
  form.set_progress_x2(10000.5);
  form.set_text(C::perc_of_npcs, "30");

  EXPECT_EQ(changes,
            (std::vector<C>{C::level, C::level, C::level, C::op, C::lx, C::statistical, C::lvls,
                            C::Command3, C::Command2, C::progress, C::perc_of_npcs}));
  EXPECT_EQ(form.level_entries(), (std::vector<std::string>{"01-10", "11-20"}));
  EXPECT_EQ(form.level_selected(), 1);
  EXPECT_EQ(form.op_selected(), 11);
  EXPECT_EQ(form.lx(), "WORKING...");
  EXPECT_EQ(form.statistical(), "armour\r\n");
  EXPECT_EQ(form.lvls(8), "3");
  EXPECT_EQ(form.button(C::Command3).caption, "Working");
  EXPECT_FALSE(form.button(C::Command2).enabled);
  EXPECT_EQ(form.progress().x2, 10000.5);
  EXPECT_EQ(form.text(C::perc_of_npcs), "30");

  // The value is stored before the observer hears of it.
  form.on_changed = [&](C) { EXPECT_EQ(form.lx(), ">Ready"); };
  form.set_lx(">Ready");
}

TEST(Form1Model, TextWritesRaiseTheChangeEventEvenWhenUnchanged) {
  Form1Model form;
  std::vector<std::string> events;
  form.on_changed = [&](C) { events.push_back("changed"); };
  form.on_text_changed = [&](C box) { events.push_back("text " + form.text(box)); };
  form.set_text(C::item_max, "5");
  form.set_text(C::item_max, "5");
  EXPECT_EQ(events, (std::vector<std::string>{"changed", "text 5", "changed", "text 5"}));
}

TEST(Form1Model, TextChangeHandlerMayReEnterThroughSetText) {
  Form1Model form;
  std::vector<std::string> seen;
  int depth = 0;
  form.on_text_changed = [&](C box) {
    ++depth;
    seen.push_back(std::to_string(depth) + ":" + form.text(box));
    if (form.text(box) == "150") {
      form.set_text(box, "100");
      seen.push_back(std::to_string(depth) + " after nested:" + form.text(box));
    }
    --depth;
  };
  form.set_text(C::item_max, "150");
  EXPECT_EQ(seen, (std::vector<std::string>{"1:150", "2:100", "1 after nested:100"}));
  EXPECT_EQ(form.text(C::item_max), "100");
}

TEST(Form1Model, RefusesIndicesAndControlsOutOfRange) {
  Form1Model form;
  form.add_level_entry("01-10");
  EXPECT_THROW(form.select_level(1), std::out_of_range);
  EXPECT_THROW(form.select_level(-2), std::out_of_range);
  form.select_level(0);
  form.select_level(-1);
  EXPECT_EQ(form.level_selected(), -1);

  EXPECT_THROW(form.select_op(12), std::out_of_range);
  EXPECT_THROW(form.select_op(-2), std::out_of_range);
  EXPECT_EQ(form.op_selected(), 0);

  EXPECT_THROW(form.set_lvls(0, "x"), std::out_of_range);
  EXPECT_THROW(form.set_lvls(9, "x"), std::out_of_range);

  int notifications = 0;
  form.on_changed = [&](C) { ++notifications; };
  EXPECT_THROW(form.text(C::lx), std::invalid_argument);
  EXPECT_THROW(form.set_text(C::level, "x"), std::invalid_argument);
  EXPECT_THROW(form.button(C::item_max), std::invalid_argument);
  EXPECT_THROW(form.set_caption(C::progress, "x"), std::invalid_argument);
  EXPECT_THROW(form.set_enabled(C::lvls, false), std::invalid_argument);
  EXPECT_EQ(notifications, 0);
}

}  // namespace
}  // namespace vl
