#include "cli/interrupt.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/whole_file.h"

namespace vl::cli {
namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_end_at_once{false};

}  // namespace

void watch_for_interrupt() {
  sigset_t set;
  sigemptyset(&set);
  // A terminal closed under the command (SSH lost) or a stop asked by the
  // system ends it as Ctrl+C does.
  for (const int stop : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, stop);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    while (sigwait(&set, &signal) == 0) {
      g_interrupted = true;
      if (g_end_at_once) {
        remove_unfinished_files();
        std::fputs("\nStopped by Ctrl+C; nothing was written.\n", stderr);
        std::_Exit(130);
      }
    }
  }).detach();
}

bool interrupted() { return g_interrupted; }

void end_at_once_on_interrupt(bool on) { g_end_at_once = on; }

}  // namespace vl::cli
