#pragma once
// Shared set-up of the loot tests: a fresh world, a program state pointed at the
// test server, rows to start from, and seeds for predictable percent rolls.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/program_state.h"
#include "loot/custom_list.h"
#include "loot/rules.h"
#include "support/recording_ui.h"
#include "support/test_db.h"

namespace vl::test {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

class LootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_world();
    configure(*state);
    form().set_text(Form1Control::perc_of_npcs, "101");  // every percent roll passes
  }
  Form1Model& form() { return state->form1; }
  static void add_items(int itemtype, const std::vector<int>& ids) {
    std::string rows;
    for (int id : ids) rows += ",(" + std::to_string(id) + ",'i'," + std::to_string(itemtype) + ")";
    fixture_sql("INSERT INTO items (id,name,itemtype) VALUES " + rows.substr(1));
  }
  // NPCs 1.. in query order, one per loottable id given.
  static void add_npcs(const std::vector<long long>& loottables, int level = 5) {
    std::string rows;
    for (std::size_t i = 0; i < loottables.size(); ++i)
      rows += ",(" + std::to_string(i + 1) + ",'n'," + std::to_string(level) + "," +
              std::to_string(loottables[i]) + ")";
    fixture_sql("INSERT INTO npc_types (id,name,level,loottable_id) VALUES " + rows.substr(1));
  }
  // A custom list in slots 1.., ended by a 0 slot.
  void use_custom_list(const std::vector<double>& ids) {
    state->custom_list_active = true;
    for (std::size_t i = 0; i < ids.size(); ++i) state->custom_item_ids[i + 1] = ids[i];
    state->custom_item_ids[ids.size() + 1] = 0.0;
  }
  // A seed whose percent rolls satisfy `wanted` (custom-list runs re-seed only at a drop).
  static std::uint64_t seed_for_rolls(int count,
                                      const std::function<bool(const std::vector<int>&)>& wanted) {
    for (std::uint64_t seed = 1;; ++seed) {
      Random probe(seed);
      std::vector<int> rolls(count);
      for (int& r : rolls) r = static_cast<int>(std::floor(double(probe.next()) * 100)) + 1;
      if (wanted(rolls)) return seed;
    }
  }
  void expect_window_usable() {
    EXPECT_EQ(std::tuple(form().button(Form1Control::Command2).enabled,
                         form().button(Form1Control::Command3).enabled, form().lx(),
                         form().progress().x2),
              std::tuple(true, true, ">Ready", 11210.0));
  }
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
};

// A loot test that stands in for the rules window's and the custom item list
// window's controls.
class FilterWindowsTest : public LootTest,
                          public rules::RulesControls,
                          public custom_list::ListControls {
 protected:
  std::string r_text() const override { return r; }
  void set_r_text(const std::string& text) override { r = text; }
  void set_Command3_caption(const std::string& caption) override { captions.push_back(caption); }
  std::string customlist_text() const override { return list; }
  void set_customlist_text(const std::string& text) override { list = text; }
  void unload() override { ++unloads; }
  void go(const std::string& text) {
    list = text;
    custom_list::ok_Click(*state, ui, *this);
  }
  std::string r, list;
  Texts captions;
  int unloads = 0;
};

}  // namespace vl::test
