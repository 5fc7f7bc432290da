#include "maintenance/drop_removal.h"

#include <vector>

#include "db/database.h"

namespace vl::maintenance {
namespace {

void close_connection(db::Session& session) {
  if (session.db_connection) session.db_connection->close();
}

}  // namespace

std::string removal_pattern(const std::string& range) { return "lvl_" + range + "%"; }

DeleteOutcome delete_custom_drops(db::Session& session, const std::string& range,
                                  const DeleteProgress& progress) {
  DeleteOutcome outcome;
  DeleteCounts& counts = outcome.counts;
  const auto tell = [&] {
    if (progress) progress(counts);
  };
  db::open_database(session);
  const std::string pattern = "'" + removal_pattern(range) + "'";
  session.current_sql = "SELECT id from lootdrop WHERE lootdrop.name like " + pattern;
  db::run_query(session, session.current_sql);
  if (session.record_count < 0) {
    // The query failed inside the runner: there is no list of ids, so deleting
    // the lootdrops now would orphan their entries for good.
    close_connection(session);
    return {Ending::refused, counts,
            "The custom loot drops of levels " + range +
                " could not be read from the database, so nothing was deleted."};
  }
  counts.drops = session.record_count;
  tell();

  try {
    // Ids stay as the server wrote them: they go back into SQL as text.
    std::vector<std::string> ids;
    db::Recordset& rows = *session.db_recordset;
    const std::int32_t count = rows.record_count();
    ids.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
      ids.push_back(rows.field("id").text());
      rows.move_next();
    }
    rows.close();

    // The lootdrops go first, then what pointed at them.
    session.current_sql = "DELETE FROM lootdrop WHERE lootdrop.name like " + pattern;
    db::announce_statement(session, session.current_sql, {db::RemovedLootdrops{"name", pattern}});
    counts.drops_sent = true;
    db::execute(session, 0);
    counts.drops_gone = true;
    tell();
    for (const std::string& id : ids) {
      session.current_sql = "DELETE FROM lootdrop_entries WHERE lootdrop_id=" + id;
      db::announce_statement(session, session.current_sql, {db::RemovedLootdrops{"id", id}});
      db::execute(session, 0);
      tell();
      session.current_sql = "DELETE FROM loottable_entries WHERE lootdrop_id=" + id;
      db::execute(session);
      ++counts.cleaned;
      tell();
    }
  } catch (const db::Error& error) {
    close_connection(session);
    outcome.ending = counts.drops_sent ? Ending::stopped_part_way : Ending::refused;
    outcome.message = db::statement_failed_message(error, session.current_sql);
    return outcome;
  }
  close_connection(session);
  return outcome;
}

}  // namespace vl::maintenance
