#include "app/window/window_inputs.h"

#include <string>

#include "app/window/window_loot.h"

namespace vl::loot {

RunSettings WindowInputs::percentages() const {
  const Form1Model& form = state_.form1;
  return read_settings(form.text(Form1Control::perc_of_npcs),
                       form.text(Form1Control::lootdrop_percentx),
                       form.text(Form1Control::loottable_percentx));
}

void WindowInputs::choose_category() { Generate_item_class_sql(state_); }

std::string WindowInputs::item_query() const { return loot::item_query(state_); }

GenerateEvents window_events(ProgramState& state, UiPort& ui, WalkLine& line) {
  GenerateEvents events;
  events.notice = [&ui](const std::string& text) { ui.message_box(text); };
  events.progress = [&state, &ui, &line](GenerateStage stage, const GenerateCounts& counts) {
    Form1Model& form = state.form1;
    switch (stage) {
      case GenerateStage::reading_items:
        form.set_lx("Generating Items Lists");
        ui.repaint();
        ui.process_events();
        break;
      case GenerateStage::reading_custom_list:
        form.set_lx("Using Custom List...");
        break;
      case GenerateStage::reading_npcs:
        form.set_lx("Generating NPC Lists");
        break;
      case GenerateStage::walking: {
        line.x2_before = form.progress().x2;
        const double width = *line.x2_before - form.progress().x1;
        form.set_progress_x2(form.progress().x1);
        if (counts.npcs > 0) line.step = width / static_cast<double>(counts.npcs);
        break;
      }
      case GenerateStage::npc:
        form.set_lx("> " + std::to_string(counts.walked) + "/" + std::to_string(counts.npcs));
        line.pos += line.step;
        form.set_progress_x2(form.progress().x1 + line.pos);
        ui.process_events();
        break;
    }
  };
  return events;
}

}  // namespace vl::loot
