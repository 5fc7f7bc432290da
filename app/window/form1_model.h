#pragma once
// The state of the main window's controls that handlers and commands read and
// write, kept apart from any toolkit. The window draws from it and is told of
// every change; tests use it without a window.

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

// The buttons' captions at rest, which commands put back when they end.
namespace captions {
inline constexpr const char* kDeleteDrops = "Delete ALL Custom Loot Drops For SELECTED Levels";
inline constexpr const char* kExecute = "Execute";
inline constexpr const char* kShowStats = "Show Stats";
inline constexpr const char* kRepair = "Repair NPC's Without Lootdrops";
inline constexpr const char* kRules = "Rules";
inline constexpr const char* kNoCustomList = "Custom Item List - NOTHING";
inline constexpr const char* kRemoveList = "Remove Item List";
}  // namespace captions

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

  // op: one option button per loot category, exactly one selected (-1 only if
  // forced; an index past the last option selects none of them).
  int op_selected() const { return op_selected_; }
  void select_op(int index);

  // Text boxes: perc_of_npcs, loottable_percentx, item_max, lootdrop_percentx.
  const std::string& text(Form1Control box) const;
  void set_text(Form1Control box, const std::string& text);

  // Labels: lx, statistical, and the statistics columns lvls(1..n), one per
  // entry of the level list; a column never written reads "".
  const std::string& lx() const { return lx_; }
  void set_lx(const std::string& caption);
  const std::string& statistical() const { return statistical_; }
  void set_statistical(const std::string& caption);
  const std::string& lvls(int index) const;
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
  std::vector<std::string> lvls_;  // lvls(1) first
  ButtonState command1_{captions::kDeleteDrops};
  ButtonState command2_{captions::kExecute};
  ButtonState command3_{captions::kShowStats};
  ButtonState command4_{captions::kRepair};
  ButtonState command5_{captions::kRules};
  ButtonState command6_{captions::kNoCustomList};
  ButtonState clearlist_{captions::kRemoveList};
  LineState progress_;
};

}  // namespace vl
