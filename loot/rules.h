#pragma once
// Item rules: free SQL conditions on the items table that narrow the item
// query of a generation run, and a count query to try them.

#include <string>
#include <string_view>

#include "db/session.h"

namespace vl::rules {

inline constexpr std::string_view kDefaultRuleText = "reqlevel<=10 AND ac<=5";
inline constexpr std::string_view kTestQueryHead = "SELECT COUNT(id) from items WHERE (";
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

}  // namespace vl::rules
