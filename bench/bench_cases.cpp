#include "bench/bench_cases.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "app/window/delete_button.h"
#include "app/window/generation_run.h"
#include "app/window/repair_button.h"
#include "app/window/stats_button.h"
#include "app/window/window_journal.h"
#include "loot/catalog.h"

namespace vl::bench {
namespace {

std::string joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const auto& m : messages) text += "[" + m + "]";
  return text;
}

// Every NPC of the sample world (levels 1..99), all of them tried, armour.
void prepare_generation(ProgramState& state) {
  state.level_low = "01";
  state.level_high = "99";
  state.form1.select_op(0);
  state.form1.set_text(Form1Control::perc_of_npcs, "100");
  state.item_max_count = 5;
}

std::string check_generation(const ProgramState&, const SilentUi& ui) {
  return ui.messages == std::vector<std::string>{"Completed!"} ? ""
                                                               : "messages " + joined(ui.messages);
}

void prepare_stats(ProgramState& state) {
  for (const loot::LevelRange& range : loot::kLevelRanges) {
    state.form1.add_level_entry(std::string(range.entry));
  }
  for (const loot::LootCategory& category : loot::kLootCategories) {
    state.stats_category_words.emplace_back(category.stats_word);
  }
}

std::string check_stats(const ProgramState& state, const SilentUi& ui) {
  if (!ui.messages.empty()) return "messages " + joined(ui.messages);
  return state.form1.lvls(8).empty() ? "the last column was not filled" : "";
}

void prepare_delete(ProgramState& state) {
  state.level_low = "01";
  state.level_high = "10";
}

std::string check_delete(const ProgramState&, const SilentUi& ui) {
  if (!ui.messages.empty()) return "messages " + joined(ui.messages);
  return ui.beeps == 1 ? "" : "no beep";
}

void prepare_repair(ProgramState&) {}

std::string check_repair(const ProgramState& state, const SilentUi& ui) {
  if (!ui.messages.empty()) return "messages " + joined(ui.messages);
  return state.form1.button(Form1Control::Command4).caption == "Repaired" ? "" : "not repaired";
}

// Execute as the window runs it, journaled ($VANDRIL_LOOT_JOURNAL): every row
// written ahead to the journal before its statement goes out.
void journaled_generation(ProgramState& state, UiPort& ui) {
  static app::WindowJournal journal(journal::default_journal_path());
  journal.execute()(state, ui);
  // Opened by the run itself; a journal lost on the way would make this the plain run.
  if (!journal.why_unavailable().empty()) throw std::runtime_error(journal.why_unavailable());
}

const std::array<BenchCase, 5> kCases{{
    {"generation",
     {"lootdrop", "lootdrop_entries", "loottable_entries"},
     prepare_generation,
     loot::Command2_Click,
     check_generation},
    {"generation_journaled",
     {"lootdrop", "lootdrop_entries", "loottable_entries"},
     prepare_generation,
     journaled_generation,
     check_generation},
    {"stats", {}, prepare_stats, maintenance::Command3_Click, check_stats},
    {"delete",
     {"lootdrop", "lootdrop_entries", "loottable_entries"},
     prepare_delete,
     maintenance::Command1_Click,
     check_delete},
    {"repair",
     {"npc_types", "lootdrop", "lootdrop_entries", "loottable", "loottable_entries"},
     prepare_repair,
     maintenance::Command4_Click,
     check_repair},
}};

}  // namespace

const BenchCase& bench_case(const std::string& name) {
  for (const auto& c : kCases) {
    if (c.name == name) return c;
  }
  throw std::invalid_argument("unknown case " + name);
}

}  // namespace vl::bench
