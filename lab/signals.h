#pragma once

#include <atomic>

// Stop requests by signal: SIGINT, SIGTERM and SIGHUP (a closed terminal)
// alike. The first asks the work to stop taking blocks (kFinishBlocks), a
// second to drop the blocks in flight (kStopNow). The handlers do not restart
// interrupted system calls, so a read or an open that waits (a FIFO, a slow
// disk) returns and the program can look at the request.
void installStopHandlers();

// The level reached: kRunOn, kFinishBlocks, or kStopNow and above (see
// study/block_play.h).
const std::atomic<int>& stopRequests();
