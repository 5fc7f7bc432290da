#include "ui/program.h"

#include "app/window/form1_logic.h"
#include "ui/filter_windows.h"

namespace vl::ui {

std::unique_ptr<Form1Window> load_main_window(ProgramState& state, UiPort& ui,
                                              app::WindowJournal& journal,
                                              const std::string& ini_path) {
  if (!form1::Form_Load(state, ui, ini_path)) return nullptr;
  auto window = std::make_unique<Form1Window>(state, ui, journal);
  new FilterWindows(state, ui, *window);  // owned by the window
  return window;
}

}  // namespace vl::ui
