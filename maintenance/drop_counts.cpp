#include "maintenance/drop_counts.h"

#include <cstddef>

#include "db/database.h"

namespace vl::maintenance {
namespace {

std::string count_query(const std::string& range, const std::string& word) {
  return "select count(id) from lootdrop where lootdrop.name = 'lvl_" + range + "_CUSTOM_" + word +
         "'";
}

// Thrown when another command closed the shared connection while the counts
// let the window's events through.
struct CountsInterrupted {};

}  // namespace

StatsOutcome count_custom_drops(db::Session& session, const std::vector<std::string>& ranges,
                                const std::vector<std::string>& words, const StatsEvents& events) {
  db::open_database(session);
  if (events.started) events.started();
  StatsOutcome outcome;
  outcome.table = {ranges, words, {}};
  outcome.table.counts.assign(words.size(), std::vector<long long>(ranges.size(), 0));
  try {
    for (std::size_t r = 0; r < ranges.size(); ++r) {
      const int column = static_cast<int>(r) + 1;
      if (events.column_begins) events.column_begins(column);
      for (std::size_t w = 0; w < words.size(); ++w) {
        // Execute and the delete button close the shared connection when they
        // end; Repair and the rules window's test only replace it.
        if (!session.db_connection || !session.db_connection->is_open()) throw CountsInterrupted{};
        session.current_sql = count_query(ranges[r], words[w]);
        db::open_recordset(session);
        const db::Value& count = session.db_recordset->field(std::size_t{0});
        outcome.table.counts[w][r] = count.as<long long>().value_or(0);
        if (events.counted) events.counted(column, count.text());
        session.db_recordset->close();
      }
      outcome.counted_columns = column;
      if (events.column_done) events.column_done(column);
    }
  } catch (const db::Error& error) {
    outcome.ending = Ending::refused;
    outcome.message = db::statement_failed_message(error, session.current_sql);
  } catch (const CountsInterrupted&) {
    outcome.ending = Ending::refused;
    outcome.message = kCountsInterruptedMessage;
  }
  return outcome;
}

}  // namespace vl::maintenance
