#include "lab/signals.h"

#include <csignal>

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void requestStop(int /*signal*/) {
  g_stop.store(true);
}

}  // namespace

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  // Interrupted writes resume, so no notice is lost to a half-done write.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<bool>& stopRequested() {
  return g_stop;
}
