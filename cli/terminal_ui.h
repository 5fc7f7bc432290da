#pragma once
// The UI port of the command line: message boxes go to standard error, the
// window's event processing becomes a progress line and the place where Ctrl+C
// stops a run, and every statement sent is counted (and logged with --verbose).

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "core/ui_port.h"

namespace vl::cli {

struct TerminalOptions {
  bool echo_messages = true;  // message boxes to stderr as they come
  bool show_progress = false;
  bool log_statements = false;
};

class TerminalUi : public UiPort {
 public:
  TerminalUi(ProgramState& state, TerminalOptions options);

  void message_box(const std::string& text) override;
  void process_events() override;
  void repaint() override;
  void beep() override {}

  // The state's statement observer calls this.
  void statement_sent(const std::string& sql, std::chrono::nanoseconds took, bool succeeded);

  // Statements of one kind (the text before its first "(", "=" or "'", without
  // trailing blanks: "INSERT INTO lootdrop_entries values") that succeeded, and
  // that were sent.
  int succeeded(const std::string& kind) const;
  int sent(const std::string& kind) const;

  const std::vector<std::string>& messages() const { return messages_; }
  bool echoes_messages() const { return options_.echo_messages; }
  double seconds() const;
  // The last "> i/n" of the generation run's status label.
  int npc_step() const { return npc_step_; }
  int npc_total() const { return npc_total_; }

  // Set by the command: the progress line's text, and what to do on Ctrl+C
  // (report and end the program) where the command may stop.
  std::function<std::string(const TerminalUi&)> progress_text;
  std::function<void()> on_interrupt;
  // Told the exit code just before the program ends from inside a command.
  std::function<void(int)> on_end;
  bool stop_in_events = false;        // before the next NPC
  bool stop_after_statement = false;  // once the statement in flight is done

  void clear_progress();

 private:
  void draw_progress();
  void read_npc_step();

  ProgramState& state_;
  TerminalOptions options_;
  std::vector<std::string> messages_;
  std::map<std::string, std::pair<int, int>, std::less<>> counts_;  // head -> sent, succeeded
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_draw_{};
  bool progress_shown_ = false;
  int npc_step_ = 0, npc_total_ = 0;
};

// Message text with the window's CR LF line breaks as plain line breaks.
std::string plain_lines(const std::string& text);

}  // namespace vl::cli
