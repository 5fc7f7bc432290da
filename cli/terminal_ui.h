#pragma once
// The UI port of the command line: message boxes go to standard error, the
// window's event processing becomes a progress line, and every statement sent
// is logged with --verbose.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/command_journal.h"
#include "app/ui_port.h"
#include "db/session.h"

namespace vl::cli {

struct TerminalOptions {
  bool echo_messages = true;  // message boxes to stderr as they come
  bool show_progress = false;
  bool log_statements = false;
};

class TerminalUi : public UiPort {
 public:
  TerminalUi(db::Session& session, TerminalOptions options);

  // The window's connection message is said as could_not_connect's line instead.
  void message_box(const std::string& text) override;
  void process_events() override { draw_progress(); }
  void repaint() override { draw_progress(); }
  void beep() override {}

  // The session's statement observer calls this.
  void statement_sent(const std::string& sql, std::chrono::nanoseconds took, bool succeeded);

  const std::vector<std::string>& messages() const { return messages_; }
  bool echoes_messages() const { return options_.echo_messages; }
  double seconds() const;

  // Set by the command: the progress line's text ("" shows none).
  std::function<std::string()> progress_text;
  // Told how a write command ended, just before it ends early (Ctrl+C, the
  // server out of reach).
  std::function<void(const app::StepwiseEnd&)> on_end;

  void clear_progress();

 private:
  void draw_progress();

  const db::Session& session_;
  TerminalOptions options_;
  std::vector<std::string> messages_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_draw_{};
  bool progress_shown_ = false;
};

}  // namespace vl::cli
