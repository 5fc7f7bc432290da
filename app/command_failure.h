#pragma once
// What a command's failure shows, and how a shell ends the program at once:
// shared by the window's command guard and the command line.

#include <exception>
#include <string>

#include "db/session.h"

namespace vl::app {

inline constexpr int kExitConnectionFailed = 2;

// Heads the message of a fault in the program's own use of the database layer,
// which is not the server's doing.
inline constexpr const char* kProgramFaultMessage =
    "The command was stopped by a fault in this program, not by the database:\n";

// What a command's failure shows: the connection message for
// db::ConnectionFailed (connection_lost set), kProgramFaultMessage with the
// text of a db::UsageError, the text of any other exception.
struct Failure {
  std::string message;
  bool connection_lost = false;
};
Failure failure_of(const std::exception_ptr& thrown);

// Ends the process at once: the open connection is closed, nothing else runs
// (a command waiting in process_events never resumes).
[[noreturn]] void end_program_now(db::Session& session, int exit_code);

}  // namespace vl::app
