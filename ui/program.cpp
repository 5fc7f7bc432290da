#include "ui/program.h"

#include "ui/form1_logic.h"

namespace vl::ui {

std::unique_ptr<Form1Window> load_main_window(ProgramState& state, UiPort& ui,
                                              const std::string& ini_path) {
  if (!form1::Form_Load(state, ui, ini_path)) return nullptr;
  return std::make_unique<Form1Window>(state, ui);
}

}  // namespace vl::ui
