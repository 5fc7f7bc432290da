#pragma once
// The custom item list: a pasted list of item ids that a generation run draws
// from instead of the selected category's items. Handlers of the list window
// and the main window's "Remove Item List", written over plain state.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::custom_list {

// Slots 1..kListCapacity of custom_item_ids take one line each.
inline constexpr int kListCapacity = kCustomItemSlots - 1;

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

// What a list text makes of the slots 1..kListCapacity.
struct ListFill {
  bool fits = false;    // false: more than kListCapacity slots needed, nothing changed
  int needed = 0;       // slots up to the last piece holding more than blanks
  int line_breaks = 0;  // the id count of a list that ends each line
};

// Clears slots 1..kListCapacity of `slots` to 0, then gives slot i + 1 the
// value of piece i (see ok_Click); touches nothing when the text does not fit.
ListFill fill_list_slots(const std::string& text, std::vector<std::optional<double>>& slots);

// "Custom List Created [n items]", or why the list does not fit.
std::string list_message(const ListFill& fill);

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
