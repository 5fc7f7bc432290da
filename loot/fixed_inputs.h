#pragma once
// A generate run's settings given once, as the command line gives them: they
// stay as they are for the whole run.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loot/categories.h"
#include "loot/generate_inputs.h"

namespace vl::loot {

class FixedInputs : public GenerateInputs {
 public:
  std::string low = "01", high = "10";
  int category = 0;   // into kLootCategories
  std::string rules;  // " AND ..." or ""
  std::string percent_of_npcs = "25", chance = "10", probability = "50";
  int items = 5;
  bool custom_list = false;
  std::vector<std::optional<double>> slots =
      std::vector<std::optional<double>>(kCustomItemSlots);  // 1..: the custom list
  std::int16_t slot_count = 0;
  std::array<std::int32_t, kDropItemSlots> drop_items{};
  std::int32_t lootdrop_id = 0;

  RunSettings percentages() const override {
    return read_settings(percent_of_npcs, chance, probability);
  }
  void choose_category() override {}
  bool custom_list_active() const override { return custom_list; }
  std::string item_query() const override {
    return std::string(kItemQueryHead) + item_query_clause(category_slots(category), rules);
  }
  std::string level_low() const override { return low; }
  std::string level_high() const override { return high; }
  std::string category_name() const override {
    return std::string(kLootCategories[static_cast<std::size_t>(category)].name);
  }
  int items_per_drop() const override { return items; }
  CandidateSlots candidates() override { return {slots, slot_count}; }
  DropSlots drop_slots() override { return {drop_items, lootdrop_id}; }
};

}  // namespace vl::loot
