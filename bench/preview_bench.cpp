// Times the Preview window offscreen against a world already loaded: the
// window filled (plan, names, drop rates, table) and "Write all at once", with
// a timer on the window thread recording the longest gap between its ticks
// (how long the window could not repaint). One line of tab-separated values:
// stage, milliseconds, longest gap ms, chosen drops, then the result message.
//
//   vandril_preview_bench --host H [--write] [--journal FILE] [--levels LL-HH] [--grab FILE.png]
//
// --grab saves a picture of the filled window (the README's screenshot).

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/window/window_journal.h"
#include "bench/silent_ui.h"
#include "ui/preview_window.h"

namespace {

// The longest time the window thread went without running its timer.
class GapMeter {
 public:
  GapMeter() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { longest_ = std::max(longest_, clock_.restart()); });
  }
  void start() {
    longest_ = 0;
    clock_.start();
    timer_.start();
  }
  qint64 longest() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

void wait_while_working(vl::ui::PreviewWindow& window) {
  for (QDeadlineTimer limit(600000); window.working() && !limit.hasExpired();)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::string host, journal_path, grab, levels = "01-10";
  bool write = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--host") && i + 1 < argc) host = argv[++i];
    if (!std::strcmp(argv[i], "--journal") && i + 1 < argc) journal_path = argv[++i];
    if (!std::strcmp(argv[i], "--grab") && i + 1 < argc) grab = argv[++i];
    if (!std::strcmp(argv[i], "--levels") && i + 1 < argc) levels = argv[++i];
    if (!std::strcmp(argv[i], "--write")) write = true;
  }
  vl::ProgramState state;
  state.db_host = host;
  state.db_user = "vandril";
  state.db_password = "vandril_pw";
  state.db_name = "world";
  state.level_low = levels.substr(0, 2);
  state.level_high = levels.substr(3, 2);
  state.form1.set_text(vl::Form1Control::perc_of_npcs, grab.empty() ? "101" : "25");
  vl::bench::SilentUi ui;
  vl::app::WindowJournal journal(journal_path);
  vl::ui::CommandTurns turns;
  vl::ui::PreviewWindow window(state, ui, journal, turns);
  window.ask = [](const std::string&) { return true; };
  window.show();
  GapMeter gaps;
  auto* table = window.findChild<QTableView*>("drops");

  QElapsedTimer clock;
  gaps.start();
  clock.start();
  window.plan();
  wait_while_working(window);
  if (grab.empty()) table->scrollToBottom();  // the last rows drawn too
  table->repaint();
  const qint64 filled = clock.elapsed();
  const std::size_t drops = window.preview() ? window.preview()->plan.drops.size() : 0;
  std::printf("filled\t%lld\t%lld\t%zu\t%s\n", static_cast<long long>(filled),
              static_cast<long long>(gaps.longest()), drops,
              ui.messages.empty() ? "" : ui.messages.back().c_str());
  if (!grab.empty()) window.grab().save(QString::fromStdString(grab));
  if (!write) return 0;
  gaps.start();
  clock.start();
  window.write_Click();
  wait_while_working(window);
  std::printf("written\t%lld\t%lld\t%zu\t%s\n", static_cast<long long>(clock.elapsed()),
              static_cast<long long>(gaps.longest()), drops,
              ui.messages.empty() ? "" : ui.messages.back().c_str());
  return 0;
}
