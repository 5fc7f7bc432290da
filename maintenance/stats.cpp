#include "maintenance/stats.h"

#include <algorithm>
#include <cstddef>

#include "db/database.h"
#include "loot/catalog.h"

namespace vl::maintenance {
namespace {

constexpr double kProgressStartX2 = 9550;  // fixed start, not the line's X1

// Thrown when another command closed the shared connection while the counts
// let the window's events through.
struct CountsInterrupted {};

std::string count_query(const std::string& range, const std::string& word) {
  return "select count(id) from lootdrop where lootdrop.name = 'lvl_" + range + "_CUSTOM_" + word +
         "'";
}

// Leaves no partial or stale column beside the fresh ones: a column is either
// counted by this press or empty.
void stop_counting(ProgramState& state, int first_uncounted, int columns, double original_x2) {
  Form1Model& form = state.form1;
  if (state.db_recordset) state.db_recordset->close();
  for (int stale = first_uncounted; stale <= columns; ++stale) form.set_lvls(stale, "");
  form.set_lx(">Ready");
  form.set_progress_x2(original_x2);
}

}  // namespace

void determine_custom_item_drop_stats(ProgramState& state, UiPort& ui) {
  Form1Model& form = state.form1;
  db::open_database(state);
  form.set_lx("WORKING...");

  // One column per list entry; the window has one column per level range.
  const int ranges =
      std::min(static_cast<int>(form.level_entries().size()), loot::kLevelRangeCount);
  const double original_x2 = form.progress().x2;
  const double width = original_x2 - form.progress().x1;
  form.set_progress_x2(kProgressStartX2);

  int column = 1;
  try {
    for (; column <= ranges; ++column) {
      const std::string range = form.level_entries()[static_cast<std::size_t>(column - 1)];
      form.set_lvls(column, "");
      form.set_progress_x2(form.progress().x2 + width / ranges);
      ui.repaint();
      for (const std::string& word : state.stats_category_words) {
        // Execute and the delete button close the shared connection when they
        // end; Repair and the rules window's test only replace it.
        if (!state.db_connection || !state.db_connection->is_open()) throw CountsInterrupted{};
        state.current_sql = count_query(range, word);
        db::open_recordset(state);
        const std::string count = state.db_recordset->field(std::size_t{0}).text();
        form.set_lvls(column, form.lvls(column) + count + "\r\n");
        state.db_recordset->close();
      }
      ui.process_events();
    }
  } catch (const db::Error& error) {
    stop_counting(state, column, ranges, original_x2);
    ui.message_box(db::statement_failed_message(error, state.current_sql));
    return;
  } catch (const CountsInterrupted&) {
    stop_counting(state, column, ranges, original_x2);
    ui.message_box(kCountsInterruptedMessage);
    return;
  }

  form.set_lx(">Ready");
  form.set_progress_x2(original_x2);
}

void Command3_Click(ProgramState& state, UiPort& ui) {
  determine_custom_item_drop_stats(state, ui);
}

}  // namespace vl::maintenance
