#include "cli/terminal_ui.h"

#include <cstdio>

#include "cli/connect.h"
#include "db/database.h"

namespace vl::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

}  // namespace

TerminalUi::TerminalUi(db::Session& session, TerminalOptions options)
    : session_(session), options_(options) {
  session.statement_observer = [this](const std::string& sql, std::chrono::nanoseconds took,
                                      bool succeeded) { statement_sent(sql, took, succeeded); };
}

void TerminalUi::message_box(const std::string& text) {
  if (text == db::kConnectionFailedMessage && !session_.connection_error.empty()) {
    messages_.push_back(
        could_not_connect(session_, session_.connection_native_error, session_.connection_error));
  } else {
    messages_.push_back(text);
  }
  if (!options_.echo_messages) return;
  clear_progress();
  std::fprintf(stderr, "%s\n", messages_.back().c_str());
}

void TerminalUi::statement_sent(const std::string& sql, std::chrono::nanoseconds took,
                                bool succeeded) {
  if (options_.log_statements) {
    clear_progress();
    std::fprintf(stderr, "[%8.3f ms%s] %s\n",
                 std::chrono::duration<double, std::milli>(took).count(),
                 succeeded ? "" : ", rejected", sql.c_str());
  }
  draw_progress();
}

double TerminalUi::seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void TerminalUi::draw_progress() {
  if (!options_.show_progress || !progress_text) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  const std::string text = progress_text();
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
