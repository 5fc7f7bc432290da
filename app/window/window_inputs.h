#pragma once
// A generate run as the main window makes it: its settings read from the
// program state when used, and its progress shown in the status label and
// the progress line, with the window's events let through before each NPC.

#include <optional>

#include "app/ui_port.h"
#include "app/window/program_state.h"
#include "loot/generate.h"

namespace vl::loot {

class WindowInputs : public GenerateInputs {
 public:
  explicit WindowInputs(ProgramState& state) : state_(state) {}

  RunSettings percentages() const override;
  void choose_category() override;
  bool custom_list_active() const override { return state_.custom_list_active; }
  std::string item_query() const override;
  std::string level_low() const override { return state_.level_low; }
  std::string level_high() const override { return state_.level_high; }
  std::string category_name() const override { return state_.category_name; }
  int items_per_drop() const override { return state_.item_max_count; }
  CandidateSlots candidates() override { return {state_.custom_item_ids, state_.candidate_count}; }
  DropSlots drop_slots() override { return {state_.drop_item_ids, state_.next_lootdrop_id}; }

 private:
  ProgramState& state_;
};

// The progress line during the walk; x2_before is set once it has been shrunk.
struct WalkLine {
  std::optional<double> x2_before;
  double step = 0;
  double pos = 0;
};

// The window's labels, line and message boxes for a run's events.
GenerateEvents window_events(ProgramState& state, UiPort& ui, WalkLine& line);

}  // namespace vl::loot
