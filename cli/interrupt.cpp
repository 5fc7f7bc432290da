#include "cli/interrupt.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

namespace vl::cli {
namespace {

std::atomic<bool> g_interrupted{false};

}  // namespace

void watch_for_interrupt() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    while (sigwait(&set, &signal) == 0) g_interrupted = true;
  }).detach();
}

bool interrupted() { return g_interrupted; }

}  // namespace vl::cli
