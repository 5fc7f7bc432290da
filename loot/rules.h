#pragma once
// The rules window's handlers: free SQL conditions on the items table that
// narrow the item query of a generation run, and a count query to try them.
// Written over plain state so that they run without a window.

#include <string>
#include <string_view>

#include "core/program_state.h"
#include "core/ui_port.h"
#include "db/session.h"

namespace vl::rules {

inline constexpr std::string_view kDefaultRuleText = "reqlevel<=10 AND ac<=5";
inline constexpr std::string_view kTestQueryHead = "SELECT COUNT(id) from items WHERE (";
inline constexpr std::string_view kTestQueryCaption = "Test Query";
inline constexpr std::string_view kWorkingCaption = "Working..";
inline constexpr std::string_view kQueryErrorMessage =
    "Error in Query - check the field names and syntax";

// What a rules text adds to the item query: " AND " + text, or `before` for an
// empty text (never " AND " with nothing behind it).
std::string rules_condition(const std::string& text, const std::string& before);

struct RulesTest {
  bool passed = false;
  std::string message;  // "Query Passed: <n> items match criteria", or kQueryErrorMessage
};

// Counts the items that `clause` (an item query clause: the category's item
// types and the rules) lets through, over a new connection. A statement the
// server rejects, or a result that cannot be read, fails the test. Throws
// db::ConnectionFailed.
RulesTest test_rules(db::Session& session, const std::string& clause);

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
