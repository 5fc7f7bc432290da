#pragma once
// Ctrl+C, and SIGTERM and SIGHUP alike. They are blocked in every thread and awaited by a thread of
// its own that only raises a flag, so that it never breaks a system call of a statement in flight;
// the commands look at the flag where they may stop.

namespace vl::cli {

// Call before any other thread starts.
void watch_for_interrupt();
bool interrupted();

// While on, Ctrl+C ends the program at once with exit code 130: for waiting on
// an answer and for commands that write nothing. Files not written whole are
// removed first.
void end_at_once_on_interrupt(bool on);

}  // namespace vl::cli
