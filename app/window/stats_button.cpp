#include "app/window/stats_button.h"

#include <algorithm>

#include "loot/catalog.h"

namespace vl::maintenance {
namespace {

constexpr double kProgressStartX2 = 9550;  // fixed start, not the line's X1

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
  // One column per list entry; the window has one column per level range.
  const int ranges =
      std::min(static_cast<int>(form.level_entries().size()), loot::kLevelRangeCount);
  const std::vector<std::string> entries(form.level_entries().begin(),
                                         form.level_entries().begin() + ranges);
  double original_x2 = form.progress().x2;
  double width = 0;

  StatsEvents events;
  events.started = [&] {
    form.set_lx("WORKING...");
    original_x2 = form.progress().x2;
    width = original_x2 - form.progress().x1;
    form.set_progress_x2(kProgressStartX2);
  };
  events.column_begins = [&](int column) {
    form.set_lvls(column, "");
    form.set_progress_x2(form.progress().x2 + width / ranges);
    ui.repaint();
  };
  events.counted = [&](int column, const std::string& count) {
    form.set_lvls(column, form.lvls(column) + count + "\r\n");
  };
  events.column_done = [&](int) { ui.process_events(); };

  const StatsOutcome outcome =
      count_custom_drops(state, entries, state.stats_category_words, events);
  if (outcome.ending != Ending::completed) {
    stop_counting(state, outcome.counted_columns + 1, ranges, original_x2);
    ui.message_box(outcome.message);
    return;
  }
  form.set_lx(">Ready");
  form.set_progress_x2(original_x2);
}

void Command3_Click(ProgramState& state, UiPort& ui) {
  determine_custom_item_drop_stats(state, ui);
}

}  // namespace vl::maintenance
