#include "cli/terminal_ui.h"

#include <cstdio>

#include "cli/interrupt.h"

namespace vl::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

// The statement up to its first value: what tells its kind apart.
std::string kind_of(const std::string& sql) {
  const std::size_t end = sql.find_first_of("(='");
  std::string kind = sql.substr(0, end);
  while (!kind.empty() && kind.back() == ' ') kind.pop_back();
  return kind;
}

}  // namespace

std::string plain_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

TerminalUi::TerminalUi(ProgramState& state, TerminalOptions options)
    : state_(state), options_(options) {
  state_.statement_observer = [this](const std::string& sql, std::chrono::nanoseconds took,
                                     bool succeeded) { statement_sent(sql, took, succeeded); };
}

void TerminalUi::message_box(const std::string& text) {
  messages_.push_back(text);
  if (!options_.echo_messages) return;
  clear_progress();
  std::fprintf(stderr, "%s\n", plain_lines(text).c_str());
}

void TerminalUi::process_events() {
  read_npc_step();
  draw_progress();
  if (stop_in_events && interrupted() && on_interrupt) on_interrupt();
}

void TerminalUi::repaint() { draw_progress(); }

void TerminalUi::statement_sent(const std::string& sql, std::chrono::nanoseconds took,
                                bool succeeded) {
  auto& [sent, ok] = counts_[kind_of(sql)];
  ++sent;
  ok += succeeded;
  if (options_.log_statements) {
    clear_progress();
    std::fprintf(stderr, "[%8.3f ms%s] %s\n",
                 std::chrono::duration<double, std::milli>(took).count(),
                 succeeded ? "" : ", rejected", sql.c_str());
  }
  draw_progress();
  if (stop_after_statement && interrupted() && on_interrupt) on_interrupt();
}

int TerminalUi::succeeded(const std::string& kind) const {
  const auto found = counts_.find(kind);
  return found == counts_.end() ? 0 : found->second.second;
}

int TerminalUi::sent(const std::string& kind) const {
  const auto found = counts_.find(kind);
  return found == counts_.end() ? 0 : found->second.first;
}

double TerminalUi::seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void TerminalUi::read_npc_step() {
  int step = 0, total = 0;
  if (std::sscanf(state_.form1.lx().c_str(), "> %d/%d", &step, &total) == 2) {
    npc_step_ = step;
    npc_total_ = total;
  }
}

void TerminalUi::draw_progress() {
  if (!options_.show_progress || !progress_text) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  const std::string text = progress_text(*this);
  if (text.empty()) return;
  std::fprintf(stderr, "\r%s\033[K", text.c_str());
  std::fflush(stderr);
  progress_shown_ = true;
}

void TerminalUi::clear_progress() {
  if (!progress_shown_) return;
  std::fprintf(stderr, "\r\033[K");
  progress_shown_ = false;
}

}  // namespace vl::cli
