#pragma once
// The program state: every module-level value shared by the windows and the
// commands, one copy for the whole program, passed explicitly to whoever needs it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/window/form1_model.h"
#include "core/module_slots.h"
#include "core/random.h"
#include "db/session.h"

namespace vl {

// The database settings and slots (db_host .. record_count) are the database
// layer's own session; the rest is the program's.
struct ProgramState : db::Session {
  // The fifth db.ini setting, read and kept but used by nothing.
  std::string everquest_folder;

  // Main window settings.
  std::string level_low = "01";
  std::string level_high = "10";
  std::int16_t item_max_count = 5;
  std::vector<std::string> stats_category_words;  // one per loot category, filled at load

  // Loot generation.
  std::array<std::int16_t, kItemTypeSlots> category_itemtypes{};
  std::string category_name;
  // Candidate list and custom list share these slots; nullopt is the empty value.
  std::vector<std::optional<double>> custom_item_ids =
      std::vector<std::optional<double>>(kCustomItemSlots);
  bool custom_list_active = false;
  std::int16_t candidate_count = 0;
  std::array<std::int32_t, kDropItemSlots> drop_item_ids{};
  std::int32_t next_lootdrop_id = 0;
  std::string item_rules;

  Random random;

  // The main window's controls.
  Form1Model form1;
};

}  // namespace vl
