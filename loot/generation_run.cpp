#include "loot/generation_run.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "core/numeric_text.h"
#include "db/database.h"
#include "loot/candidates.h"
#include "loot/categories.h"
#include "loot/draws.h"
#include "loot/npc_pass.h"

namespace vl::loot {
namespace {

constexpr const char* kNothingWritten = "\r\nNothing was written.";
constexpr const char* kStoppedMidRun =
    "\r\nThe run was stopped before this drop; the drops written before it stay.";

// Ends the run early with a message for the operator.
struct RunStopped {
  std::string message;
};

struct RunSettings {
  std::int16_t percent_of_npcs = 0;
  double chance = 0;       // per lootdrop entry
  double probability = 0;  // per loottable entry
};

// A box's text as a message quotes it: a long text is cut (never inside a UTF-8
// sequence), so that the message box still fits the screen.
std::string quoted(const std::string& text) {
  constexpr std::size_t kShownLength = 40;
  if (text.size() <= kShownLength) return "\"" + text + "\"";
  std::size_t cut = kShownLength;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "\"" + text.substr(0, cut) + "...\"";
}

// A percentage box rounded down. The value is held as a single-precision number,
// as the world database's chance and probability columns hold it: a number
// beyond that range is refused before anything is written, rather than leaving
// a lootdrop without entries when the server rejects its first entry.
double whole_percent(const Form1Model& form, Form1Control box, const std::string& label) {
  const double value = round_down(numeric_value(form.text(box)));
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
    throw RunStopped{label + " " + quoted(form.text(box)) + " is no usable number." +
                     kNothingWritten};
  }
  return value;
}

RunSettings read_settings(const Form1Model& form) {
  const std::string& percent_text = form.text(Form1Control::perc_of_npcs);
  const double percent = round_down(numeric_value(percent_text));
  if (!(percent >= std::numeric_limits<std::int16_t>::min() &&
        percent <= std::numeric_limits<std::int16_t>::max())) {
    throw RunStopped{"Percent of NPCs " + quoted(percent_text) +
                     " is out of range (-32768 to 32767)." + kNothingWritten};
  }
  return {static_cast<std::int16_t>(percent),
          whole_percent(form, Form1Control::lootdrop_percentx, "Chance per item"),
          whole_percent(form, Form1Control::loottable_percentx, "Loottable probability")};
}

// Why the candidates cannot fill a drop of `items` items, if they cannot.
std::optional<std::string> draw_problem(const CandidatePool& pool, int items) {
  if (items > kMaxItemsPerDrop) {
    return "At most " + std::to_string(kMaxItemsPerDrop) + " items fit in one drop (" +
           std::to_string(items) + " items per drop asked for).";
  }
  if (pool.unconvertible) {
    return "The candidate list holds " + number_text(*pool.unconvertible) +
           ", which is no valid item id.";
  }
  if (items > pool.distinct_ids) {
    return "Only " + std::to_string(pool.distinct_ids) +
           " different items to draw from, fewer than the " + std::to_string(items) +
           " items per drop.";
  }
  return std::nullopt;
}

void check_candidates(ProgramState& state, CandidateLoad load, CandidatePoolCache& candidates) {
  if (load == CandidateLoad::item_query_failed) {
    throw RunStopped{"The item query failed - check the rules for wrong field names and syntax." +
                     std::string(kNothingWritten)};
  }
  if (state.candidate_count <= 0) {
    throw RunStopped{(state.custom_list_active ? "The custom item list holds no items."
                                               : "No items match the selected category"
                                                 " and rules.") +
                     std::string(kNothingWritten)};
  }
  if (auto problem = draw_problem(candidates.current(state), state.item_max_count)) {
    throw RunStopped{*problem + kNothingWritten};
  }
}

// A whole number from a field, or nothing for NULL and values beyond 64 bits.
std::optional<std::int64_t> whole_value(const db::Value& value) {
  if (value.is_null()) return std::nullopt;
  const double number = round_half_even(numeric_value(value.text()));
  if (!(std::fabs(number) < 9.0e18)) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

std::vector<Npc> read_npcs(ProgramState& state) {
  state.form1.set_lx("Generating NPC Lists");
  db::open_database(state);
  state.current_sql = "SELECT id,loottable_id FROM npc_types WHERE level>=" + state.level_low +
                      " AND level<=" + state.level_high;
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

  lootdrop(state);
  const std::string id = std::to_string(state.next_lootdrop_id);
  state.current_sql =
      "INSERT INTO lootdrop (id,name) values (" + id + ",\"" + custom_lootdrop_name(state) + "\")";
  db::execute(state);

  generate_random_unique_list_for_drop(state, pool);
  const int items = state.item_max_count;
  const std::string entry_head = "INSERT INTO lootdrop_entries values (" + id + ",";
  const std::string entry_tail = ",1,1," + number_text(settings.chance) + ",0,127,1)";
  for (int k = 1; k <= items; ++k) {
    state.current_sql = entry_head;
    state.current_sql += std::to_string(state.drop_item_ids[k]);
    state.current_sql += entry_tail;
    db::execute(state);
  }

  state.current_sql = "INSERT INTO loottable_entries values (" + std::to_string(loottable) + "," +
                      id + ",1," + number_text(settings.probability) + ",1,0)";
  db::execute(state);
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
    check_candidates(state, load_candidate_items(state, ui), candidates);
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
