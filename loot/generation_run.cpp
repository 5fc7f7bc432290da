#include "loot/generation_run.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/numeric_text.h"
#include "db/database.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/draws.h"
#include "loot/drop_rows.h"
#include "loot/npc_pass.h"
#include "loot/run_rules.h"

namespace vl::loot {
namespace {

std::vector<Npc> read_npcs(ProgramState& state) {
  state.form1.set_lx("Generating NPC Lists");
  db::open_database(state);
  state.current_sql = npc_query(state);
  db::open_recordset(state);
  db::Recordset& rows = *state.db_recordset;
  std::vector<Npc> npcs;
  npcs.reserve(static_cast<std::size_t>(std::max(rows.record_count(), 0)));
  for (; !rows.eof(); rows.move_next()) {
    const auto id = whole_value(rows.field("id"));
    const auto loottable = whole_value(rows.field("loottable_id"));
    // An NPC without an id or loottable takes part in nothing but the walk.
    npcs.push_back({id && loottable ? *loottable : 0});
  }
  rows.close();
  return npcs;
}

void write_custom_drop(ProgramState& state, const RunSettings& settings, std::int64_t loottable,
                       CandidatePoolCache& candidates) {
  // Items per drop or the candidates may have changed while events went through.
  CandidatePool& pool = candidates.current(state);
  if (auto problem = draw_problem(pool, state.item_max_count)) {
    throw RunStopped{*problem + kStoppedMidRun};
  }
  generate_random_unique_list_for_drop(state, pool);

  // The drop is told ahead (a journal writes it meanwhile) with the id it most
  // likely gets, the one after the last; should the lookup give another, the
  // rows take that id and are told again.
  const std::int32_t guess = state.next_lootdrop_id < std::numeric_limits<std::int32_t>::max()
                                 ? state.next_lootdrop_id + 1
                                 : state.next_lootdrop_id;
  DropRows rows = compose_drop(state, settings, loottable, guess);
  db::AnnouncedStatements drop = window_statements(rows);
  db::announce_statements(state, drop);
  lootdrop(state);
  if (state.next_lootdrop_id != guess) {
    rows.set_lootdrop_id(state.next_lootdrop_id);
    drop = window_statements(rows);
    db::announce_statements(state, drop);
  }
  for (const db::Announced& statement : *drop) {
    state.current_sql = statement.sql;
    db::execute(state);
  }
}

// The walk; `x2_before` is set once the progress line has been shrunk.
void walk_npcs(ProgramState& state, UiPort& ui, const RunSettings& settings,
               const std::vector<Npc>& npcs, CandidatePoolCache& candidates,
               std::optional<double>& x2_before) {
  db::open_database(state);

  Form1Model& form = state.form1;
  x2_before = form.progress().x2;
  const double width = *x2_before - form.progress().x1;
  form.set_progress_x2(form.progress().x1);
  if (npcs.empty()) return;

  const std::size_t n = npcs.size();
  const double step = width / static_cast<double>(n);
  double pos = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    form.set_lx("> " + std::to_string(i) + "/" + std::to_string(n));
    pos += step;
    form.set_progress_x2(form.progress().x1 + pos);
    ui.process_events();

    const int roll =
        static_cast<int>(std::floor(static_cast<double>(state.random.next()) * 100)) + 1;
    const Npc& npc = npcs[i - 1];
    if (roll < settings.percent_of_npcs && npc.loottable != 0) {
      write_custom_drop(state, settings, npc.loottable, candidates);
    }
  }
}

void end_run(ProgramState& state, std::optional<double> x2_before) {
  if (state.db_connection && state.db_connection->is_open()) state.db_connection->close();
  if (x2_before) state.form1.set_progress_x2(*x2_before);
  state.form1.set_lx(">Ready");
  state.form1.set_enabled(Form1Control::Command2, true);
  state.form1.set_enabled(Form1Control::Command3, true);
}

}  // namespace

std::string custom_lootdrop_name(const ProgramState& state) {
  return "lvl_" + state.level_low + "-" + state.level_high + "_CUSTOM_" + state.category_name;
}

void Command2_Click(ProgramState& state, UiPort& ui) {
  if (state.level_high.empty() || state.level_low.empty()) return;

  state.form1.set_enabled(Form1Control::Command2, false);
  state.form1.set_enabled(Form1Control::Command3, false);

  std::optional<double> x2_before;
  std::string message = kCompletedMessage;
  try {
    const RunSettings settings = read_settings(state.form1);
    Generate_item_class_sql(state);
    CandidatePoolCache candidates;
    const bool query_failed = load_candidate_items(state, ui) == CandidateLoad::item_query_failed;
    check_candidates(query_failed, state.candidate_count, state.custom_list_active,
                     state.item_max_count, candidates.current(state));
    std::vector<Npc> npcs = read_npcs(state);
    keep_one_npc_per_loottable(npcs);
    walk_npcs(state, ui, settings, npcs, candidates, x2_before);
  } catch (const RunStopped& stop) {
    message = stop.message;
  } catch (const db::Error& error) {
    message = db::statement_failed_message(error, state.current_sql);
  } catch (const LootdropIdsExhausted& error) {
    message = std::string(error.what()) + "\r\nThe run was stopped; the drops written before stay.";
  }
  end_run(state, x2_before);
  ui.message_box(message);
}

}  // namespace vl::loot
