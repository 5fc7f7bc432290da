#pragma once
// The fault tests' own server, which they stop, kill and start again, and the
// fixture every fault test starts from: a fresh world and a program state
// loaded from a db.ini that names that server.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/program_state.h"
#include "support/recording_ui.h"
#include "support/test_db.h"
#include "ui/command_guard.h"

namespace vl::test {

using Texts = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

// SIGKILL, as a crash ends the server: its sockets close at once.
void kill_server();
// A clean shutdown.
void stop_server();
// Starts the server again on the data it holds (InnoDB recovers after a kill);
// the fixture connects afresh.
void restart_server();

// Runs SQL as root over the server's socket, outside ODBC, so that it can run
// while the program's own statement waits. The rows as text lines, tab-separated.
Texts root_sql(const std::string& sql);

// Locks `locked_table` from the fixture connection, then kills the server once
// a statement of the program that starts with `statement_head` waits for that
// lock, so that the statement is lost in flight. Gives up after a few seconds
// and kills the server all the same, so that the waiting command cannot hang
// the test.
class KillWhenWaiting {
 public:
  KillWhenWaiting(const std::string& locked_table, std::string statement_head);
  ~KillWhenWaiting();
  KillWhenWaiting(const KillWhenWaiting&) = delete;
  KillWhenWaiting& operator=(const KillWhenWaiting&) = delete;

  // Waits until the server was killed. Returns the waiting statement it saw,
  // or "" when it gave up.
  std::string join();

 private:
  std::string head_;
  std::string seen_;
  std::thread watcher_;
};

// The program's statements since the log's mark: the fixture's and root's left out.
Texts program_statements(const GeneralLog& log);

// The last statement of the program that reached the server, whether it ran or
// was refused when it was prepared.
std::string last_program_request(const GeneralLog& log);

// The message of a statement the server did not carry out: the fixed frame
// around the driver's text and the statement.
std::string statement_failed(const std::string& driver_text, const std::string& sql);

// What the driver reports for a statement whose server died under it.
inline constexpr const char* kLostConnection = "Lost connection to server during query";

// A diagnostic text as the driver gives it for the fault server: its own
// version, the server's version, then the text.
std::string server_text(const std::string& text);

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Form1Model& form() { return state->form1; }
  // Runs a command as the main window does, recording the program's end.
  void run(const ui::Command& command);
  // Buttons enabled, captions as designed, lx and the progress line as given.
  void expect_window_usable(const std::string& lx = ">Ready");

  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  RecordingUi ui;
  std::vector<int> exit_codes;  // end_program calls
};

}  // namespace vl::test
