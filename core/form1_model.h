#pragma once
// The state of the main window's controls that handlers and commands read and
// write, kept apart from any toolkit. The window draws from it and is told of
// every change; tests and the command line use it without a window.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vl {

enum class Form1Control {
  level,
  op,
  perc_of_npcs,
  loottable_percentx,
  item_max,
  lootdrop_percentx,
  lx,
  lvls,
  statistical,
  Command1,
  Command2,
  Command3,
  Command4,
  Command5,
  Command6,
  clearlist,
  progress,
};

struct ButtonState {
  std::string caption;
  bool enabled = true;
};

// A line in twips (15 twips = 1 pixel); X2 may take fractional values.
struct LineState {
  double x1 = 9800;
  double x2 = 11210;
  double y = 555;
};

class Form1Model {
 public:
  Form1Model();

  // Called after every change, with the control that changed.
  std::function<void(Form1Control)> on_changed;
  // Called after the text of a text box changed (by the program or by typing),
  // like a Change event. May re-enter itself through set_text.
  std::function<void(Form1Control)> on_text_changed;

  // level: a single-selection list box.
  const std::vector<std::string>& level_entries() const { return level_entries_; }
  void add_level_entry(const std::string& entry);
  int level_selected() const { return level_selected_; }  // -1: none
  void select_level(int index);

  // op: twelve option buttons, exactly one selected (-1 only if forced).
  int op_selected() const { return op_selected_; }
  void select_op(int index);

  // Text boxes: perc_of_npcs, loottable_percentx, item_max, lootdrop_percentx.
  const std::string& text(Form1Control box) const;
  void set_text(Form1Control box, const std::string& text);

  // Labels: lx, statistical, and lvls(1..8).
  const std::string& lx() const { return lx_; }
  void set_lx(const std::string& caption);
  const std::string& statistical() const { return statistical_; }
  void set_statistical(const std::string& caption);
  const std::string& lvls(int index) const { return lvls_.at(index); }  // 1..8
  void set_lvls(int index, const std::string& caption);

  // Buttons: Command1..Command6 and clearlist.
  const ButtonState& button(Form1Control which) const;
  void set_caption(Form1Control which, const std::string& caption);
  void set_enabled(Form1Control which, bool enabled);

  // The progress line.
  const LineState& progress() const { return progress_; }
  void set_progress_x2(double x2);

 private:
  void changed(Form1Control control);
  std::string& text_slot(Form1Control box);
  ButtonState& button_slot(Form1Control which);

  std::vector<std::string> level_entries_;
  int level_selected_ = -1;
  int op_selected_ = 0;
  std::string perc_of_npcs_ = "25";
  std::string loottable_percentx_ = "50";
  std::string item_max_ = "5";
  std::string lootdrop_percentx_ = "10";
  std::string lx_ = ">READY";
  std::string statistical_;
  std::array<std::string, 9> lvls_{};  // index 0 unused
  ButtonState command1_{"Delete ALL Custom Loot Drops For SELECTED Levels"};
  ButtonState command2_{"Execute"};
  ButtonState command3_{"Show Stats"};
  ButtonState command4_{"Repair NPC's Without Lootdrops"};
  ButtonState command5_{"Rules"};
  ButtonState command6_{"Custom Item List - NOTHING"};
  ButtonState clearlist_{"Remove Item List"};
  LineState progress_;
};

}  // namespace vl
