#include "cli/settings.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "app/form1_logic.h"
#include "loot/custom_list.h"
#include "loot/rules.h"

namespace vl::cli {
namespace {

// The rules window as far as its handlers see it: a box holding the text.
class RulesText : public rules::RulesControls {
 public:
  explicit RulesText(std::string text) : text_(std::move(text)) {}
  std::string r_text() const override { return text_; }
  void set_r_text(const std::string& text) override { text_ = text; }
  void set_Command3_caption(const std::string&) override {}
  void unload() override {}

 private:
  std::string text_;
};

// The custom item list window, likewise.
class ListText : public custom_list::ListControls {
 public:
  explicit ListText(std::string text) : text_(std::move(text)) {}
  std::string customlist_text() const override { return text_; }
  void set_customlist_text(const std::string& text) override { text_ = text; }
  void unload() override {}

 private:
  std::string text_;
};

bool exists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

std::string config_path(const Invocation& run) {
  if (!run.config.empty()) return run.config;
  if (exists("db.ini")) return "db.ini";
  std::string folder;
  if (const char* home = std::getenv("VANDRIL_LOOT_HOME"); home && *home) {
    folder = home;
  } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    folder = std::string(config) + "/vandril_loot";
  } else {
    const char* user_home = std::getenv("HOME");
    folder = std::string(user_home ? user_home : "") + "/.config/vandril_loot";
  }
  return folder + "/db.ini";
}

std::optional<std::string> read_list_text(const std::string& path) {
  std::string raw;
  if (path == "-") {
    raw.assign(std::istreambuf_iterator<char>(std::cin), {});
    if (std::cin.bad()) return std::nullopt;
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    raw.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) return std::nullopt;
  }
  std::string text;
  text.reserve(raw.size() + raw.size() / 8);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    if (raw[i] == '\n') text += '\r';
    text += raw[i];
  }
  return text;
}

Applied apply_settings(ProgramState& state, UiPort& ui, const Invocation& run,
                       const std::optional<std::string>& list_text) {
  Applied applied;
  Form1Model& form = state.form1;
  form.select_op(run.category_index);
  form1::level_selection_changed(state, run.level_index);
  if (run.command != CommandName::generate && run.command != CommandName::test_rules) {
    return applied;
  }
  if (run.rules) {
    RulesText window(*run.rules);
    rules::r_LostFocus(state, window);
  }
  if (run.command == CommandName::test_rules) return applied;

  form.set_text(Form1Control::perc_of_npcs, run.npc_percent);
  form.set_text(Form1Control::lootdrop_percentx, run.chance);
  form.set_text(Form1Control::loottable_percentx, run.probability);
  form.set_text(Form1Control::item_max, run.items);
  if (form.text(Form1Control::item_max) != run.items) {
    applied.warnings.push_back("--items " + run.items + " is more than 100; " +
                               form.text(Form1Control::item_max) + " items per drop are used.");
  }
  if (list_text) {
    ListText window(*list_text);
    custom_list::ok_Click(state, ui, window);
    if (!state.custom_list_active) {
      applied.usage_error = "--list: more than " + std::to_string(custom_list::kListCapacity) +
                            " lines; a list holds at most that many";
    }
  }
  return applied;
}

}  // namespace vl::cli
