#pragma once
// The rules window's handlers, written over the program state and the
// window's own controls so that they run without a toolkit.

#include <string>
#include <string_view>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "loot/rules.h"

namespace vl::rules {

inline constexpr std::string_view kTestQueryCaption = "Test Query";
inline constexpr std::string_view kWorkingCaption = "Working..";

// The window's own controls as the handlers use them. Texts have CR LF line
// breaks, whatever the toolkit stores.
class RulesControls {
 public:
  virtual ~RulesControls() = default;
  virtual std::string r_text() const = 0;
  virtual void set_r_text(const std::string& text) = 0;
  virtual void set_Command3_caption(const std::string& caption) = 0;
  // Closes the window; the next opening loads it afresh.
  virtual void unload() = 0;
};

// Loading: the default rule goes behind whatever the box holds (nothing, on a
// fresh window) and becomes item_rules.
void Form_Load(ProgramState& state, RulesControls& window);

// Leaving the text box: non-empty text becomes item_rules; empty text leaves
// item_rules as it was.
void r_LostFocus(ProgramState& state, const RulesControls& window);

// OK: closes the window; item_rules keeps its value.
void ok_Click(RulesControls& window);

// Ignore: no extra conditions from now on; the box is cleared and the window closed.
void Command2_Click(ProgramState& state, RulesControls& window);

// Test Query: counts the items of the selected category that pass item_rules
// and shows the count. A statement the server rejects (or a result that cannot
// be read) shows kQueryErrorMessage and empties item_rules and current_sql; the
// box keeps its text. db::ConnectionFailed propagates (it is fatal).
void Command3_Click(ProgramState& state, UiPort& ui, RulesControls& window);

}  // namespace vl::rules
