#pragma once
// Shared set-up of the maintenance tests: a fresh world on the test server and
// a program state prepared the way the main window's start-up leaves it.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "support/recording_ui.h"
#include "support/test_db.h"

namespace vl::test {

inline const std::array<std::string, 8> kLevelRanges = {"01-10", "11-20", "21-30", "31-40",
                                                        "41-50", "51-60", "61-99", "65-99"};

inline const std::array<std::string, 12> kCategoryWords = {"armour",
                                                           "weapon",
                                                           "higher lvl misc",
                                                           "All lvl misc",
                                                           "shields",
                                                           "General Food Items",
                                                           "Spells/Songs",
                                                           "potions",
                                                           "Drums/Arrows/Crafted Rings",
                                                           "Ales/Drinks",
                                                           "idols charms trinkets",
                                                           "high level augment items/Solvents"};

class MaintenanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_world();
    configure(*state);
    for (const auto& range : kLevelRanges) state->form1.add_level_entry(range);
    state->stats_category_words = kCategoryWords;
  }

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
};

// Rows of a table as "col1|col2|..." texts, in the given order.
inline std::vector<std::string> table_rows(const std::string& sql) {
  std::vector<std::string> rows;
  for (const auto& row : fixture_rows(sql)) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + row[i];
    rows.push_back(line);
  }
  return rows;
}

}  // namespace vl::test
