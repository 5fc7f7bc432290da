#include "cli/command_reports.h"

#include <cstdio>

#include "app/command_failure.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "core/whole_file.h"

namespace vl::cli {

Report failed(Ending ending, bool written, std::string note) {
  Report report;
  report.last_message_is_error = true;
  report.note = std::move(note);
  report.end = {.ending = ending, .written = written};
  return report;
}

int finish(TerminalUi& ui, const Report& report) {
  ui.clear_progress();
  if (report.last_message_is_error && !ui.echoes_messages() && !ui.messages().empty()) {
    std::fprintf(stderr, "%s\n", ui.messages().back().c_str());
  }
  if (!report.note.empty()) std::fprintf(stderr, "%s\n", report.note.c_str());
  const int exit_code = exit_code_of(report.end);
  // Without a connection there is no result to give, not even counts of nothing.
  if (exit_code != kExitNotConnected) std::fputs(report.result.c_str(), stdout);
  std::fflush(nullptr);
  if (report.end.ending == Ending::connection_lost && !report.end.interrupted) {
    if (ui.on_end) ui.on_end(report.end);
    remove_unfinished_files();
  }
  return exit_code;
}

app::MessageBox message_box_of(TerminalUi& ui) {
  return [&ui](const std::string& text) { ui.message_box(text); };
}

int finish_read(TerminalUi& ui, const app::ReadEnd& end,
                const std::function<std::string()>& result) {
  Report report;
  report.end.ending = end.ending;
  report.last_message_is_error = end.failed;
  if (!end.failed) report.result = result();
  return finish(ui, report);
}

void end_interrupted(db::Session& session, TerminalUi& ui, const Report& report) {
  Report told = report;
  told.end.interrupted = true;
  finish(ui, told);
  if (ui.on_end) ui.on_end(told.end);
  remove_unfinished_files();
  app::end_program_now(session, kExitInterrupted);
}

app::StepwiseEnd report_stepwise(db::Session& session, TerminalUi& ui, const ResultStyle& style,
                                 const StepwiseCommand& command) {
  const app::RunSoFar* so_far = nullptr;  // the run's, while it runs
  ui.progress_text = [&so_far] { return so_far ? so_far->progress_line() : std::string(); };
  const app::StepwiseShell shell{.message_box = message_box_of(ui),
                                 .seconds = [&ui] { return ui.seconds(); },
                                 .step =
                                     [&](const app::RunSoFar& now) {
                                       so_far = &now;
                                       ui.process_events();
                                       // Where the window lets its events through, Ctrl+C stops the
                                       // run.
                                       if (!interrupted()) return;
                                       Report report;
                                       report.note = now.stop_note();
                                       report.result = result_text(now.result(), style);
                                       end_interrupted(session, ui, report);
                                     }};
  const app::StepwiseReport ran = command(shell);
  ui.progress_text = nullptr;
  const Report report{.end = ran.end,
                      .result = result_text(ran.result, style),
                      .note = ran.note,
                      .last_message_is_error = ran.failed};
  finish(ui, report);
  return report.end;
}

}  // namespace vl::cli
