#include "lab/signals.h"

#include <csignal>

#include "study/block_play.h"

namespace {

std::atomic<int> g_level{kRunOn};
static_assert(std::atomic<int>::is_always_lock_free);

// Lock-free atomics are safe in a handler; two signals at once on two threads
// still count twice. Levels past kStopNow mean the same.
extern "C" void requestStop(int /*signal*/) {
  g_level.fetch_add(1);
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
