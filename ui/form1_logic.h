#pragma once
// The main window's start-up and the handlers that do not touch the database,
// written over the program state alone so that they run without a window.

#include <array>
#include <string>

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::form1 {

inline constexpr std::array<const char*, 8> kLevelRanges = {"01-10", "11-20", "21-30", "31-40",
                                                            "41-50", "51-60", "61-99", "65-99"};

// The category words of the statistics rows; they differ from the option captions.
inline constexpr std::array<const char*, 12> kStatsCategoryWords = {
    "armour",
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

// Routes the model's text-change notifications to the handlers (item_max_Change).
void install_handlers(ProgramState& state);

// The load handler. Returns false when db.ini is missing or incomplete: the
// message has been shown and the program must end without showing the window.
bool Form_Load(ProgramState& state, UiPort& ui, const std::string& ini_path = "db.ini");

// Keeps item_max_count in step with the text of item_max: above 100 the text
// becomes "100", text that is no number (or does not fit 16 bits) becomes "5".
void item_max_Change(ProgramState& state);

// Takes level_low and level_high from the selected entry of the level list.
void level_Click(ProgramState& state);

}  // namespace vl::form1
