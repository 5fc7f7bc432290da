#include "maintenance/delete_drops.h"

#include <string>
#include <vector>

#include "db/database.h"

namespace vl::maintenance {
namespace {

void close_connection(ProgramState& state) {
  if (state.db_connection) state.db_connection->close();
}

std::string unreadable_drops_message(const ProgramState& state) {
  return "The custom loot drops of levels " + state.level_low + "-" + state.level_high +
         " could not be read from the database, so nothing was deleted.";
}

}  // namespace

void Command1_Click(ProgramState& state, UiPort& ui) {
  if (state.level_low.empty() || state.level_high.empty()) return;
  Form1Model& form = state.form1;
  form.set_caption(Form1Control::Command1, "WORKING...");

  db::open_database(state);
  const std::string pattern = "'lvl_" + state.level_low + "-" + state.level_high + "%'";
  state.current_sql = "SELECT id from lootdrop WHERE lootdrop.name like " + pattern;
  db::run_query(state, state.current_sql);
  if (state.record_count < 0) {
    // The query failed inside the runner: there is no list of ids, so deleting
    // the lootdrops now would orphan their entries for good.
    close_connection(state);
    form.set_caption(Form1Control::Command1, captions::kDeleteDrops);
    ui.message_box(unreadable_drops_message(state));
    return;
  }

  try {
    // Ids stay as the server wrote them: they go back into SQL as text.
    std::vector<std::string> ids;
    db::Recordset& rows = *state.db_recordset;
    const std::int32_t count = rows.record_count();
    ids.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
      ids.push_back(rows.field("id").text());
      rows.move_next();
    }
    rows.close();

    // The lootdrops go first, then what pointed at them.
    state.current_sql = "DELETE FROM lootdrop WHERE lootdrop.name like " + pattern;
    db::announce_statement(state, state.current_sql, {db::RemovedLootdrops{"name", pattern}});
    db::execute(state);
    for (const std::string& id : ids) {
      state.current_sql = "DELETE FROM lootdrop_entries WHERE lootdrop_id=" + id;
      db::announce_statement(state, state.current_sql, {db::RemovedLootdrops{"id", id}});
      db::execute(state);
      state.current_sql = "DELETE FROM loottable_entries WHERE lootdrop_id=" + id;
      db::execute(state);
    }
  } catch (const db::Error& error) {
    close_connection(state);
    form.set_caption(Form1Control::Command1, captions::kDeleteDrops);
    ui.message_box(db::statement_failed_message(error, state.current_sql));
    return;
  }

  close_connection(state);
  form.set_caption(Form1Control::Command1, captions::kDeleteDrops);
  ui.beep();
}

}  // namespace vl::maintenance
