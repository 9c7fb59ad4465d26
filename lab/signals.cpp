#include "lab/signals.h"

#include <algorithm>
#include <csignal>

#include "study/block_play.h"

namespace {

std::atomic<int> g_level{kRunOn};
static_assert(std::atomic<int>::is_always_lock_free);

// Lock-free atomics are safe in a handler; two signals at once on two threads
// still count twice.
extern "C" void requestStop(int /*signal*/) {
  int level = g_level.load();
  while (!g_level.compare_exchange_weak(level, std::min(level + 1, int{kStopNow}))) {
  }
}

}  // namespace

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  action.sa_flags = 0;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaddset(&action.sa_mask, signal);
  }
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
  }
}

const std::atomic<int>& stopRequests() {
  return g_level;
}
