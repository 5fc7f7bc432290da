// vandril_loot: writes random custom loot into the game server's world database.

#include <QApplication>
#include <memory>

#include "app/window/program_state.h"
#include "ui/application_setup.h"
#include "ui/program.h"
#include "ui/qt_ui.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  vl::ui::prepare_application();

  auto state = std::make_unique<vl::ProgramState>();
  vl::ui::QtUi ui;
  vl::app::WindowJournal journal(vl::journal::default_journal_path());
  std::unique_ptr<vl::ui::Form1Window> window = vl::ui::load_main_window(*state, ui, journal);
  if (!window) return vl::ui::kExitBadConfiguration;

  ui.set_message_parent(window.get());
  ui.set_repaint_service([&window] { window->repaint_changed(); });
  window->show();
  return QApplication::exec();
}
