#include "loot/rules.h"

#include "db/database.h"

namespace vl::rules {

std::string rules_condition(const std::string& text, const std::string& before) {
  return text.empty() ? before : " AND " + text;
}

RulesTest test_rules(db::Session& session, const std::string& clause) {
  try {
    session.current_sql = std::string(kTestQueryHead) + clause;
    db::open_database(session);
    db::open_recordset(session);
    db::Recordset& result = *session.db_recordset;
    // A statement the server accepts may still give no row to read the count
    // from ("... LIMIT 0"): that is an error while reading the result.
    if (result.eof()) {
      result.close();
      return {false, std::string(kQueryErrorMessage)};
    }
    const std::string count = result.field(std::size_t{0}).text();
    result.close();
    return {true, "Query Passed: " + count + " items match criteria"};
  } catch (const db::Error&) {
    return {false, std::string(kQueryErrorMessage)};
  }
}

}  // namespace vl::rules
