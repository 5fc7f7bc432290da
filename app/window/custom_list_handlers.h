#pragma once
// The custom item list window's handlers and the main window's "Remove Item
// List", written over the program state so that they run without a toolkit.

#include <string>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "loot/custom_list.h"

namespace vl::custom_list {

// The list window's own controls as the handlers use them. The text has CR LF
// line breaks, whatever the toolkit stores.
class ListControls {
 public:
  virtual ~ListControls() = default;
  virtual std::string customlist_text() const = 0;
  virtual void set_customlist_text(const std::string& text) = 0;
  // Closes the window; the next opening starts with an empty box.
  virtual void unload() = 0;
};

// GO: slots 1..32767 cleared to 0, then one slot per CR-separated piece (the
// text after the piece's first TAB, or the whole piece, read as a number), the
// flag raised, the count of line breaks reported and shown on Command6, Rules
// disabled, the window closed. A text needing more than kListCapacity slots is
// refused with a message before anything changes; the window stays open.
void ok_Click(ProgramState& state, UiPort& ui, ListControls& window);

// Clear List: empties the box and lowers the flag; the slots and the Rules
// button stay as they are, and the window stays open.
void Command1_Click(ProgramState& state, ListControls& window);

// Nevermind: closes the window, nothing else changes.
void Command2_Click(ListControls& window);

// Remove Item List (main window): slots cleared, Rules enabled, flag lowered.
void clearlist_Click(ProgramState& state, UiPort& ui);

}  // namespace vl::custom_list
