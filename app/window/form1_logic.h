#pragma once
// The main window's start-up and the handlers that do not touch the database,
// written over the program state alone so that they run without a window.

#include <string>

#include "app/ui_port.h"
#include "app/window/program_state.h"

namespace vl {

// Reads db.ini at `path` into the connection settings and everquest_folder.
// Without a non-empty host, password and database it shows
// kDbIniInvalidMessage and returns false; the caller then ends the program.
bool read_db_ini(ProgramState& state, UiPort& ui, const std::string& path = "db.ini");

namespace form1 {

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

// The level list's selection moved to `row` (-1: nothing selected). Selecting
// another entry runs level_Click; a Ctrl+click that clears the selection is
// ignored, so the entry chosen last stays selected and its range in force.
// Returns whether the model's selection changed.
bool level_selection_changed(ProgramState& state, int row);

}  // namespace form1
}  // namespace vl
