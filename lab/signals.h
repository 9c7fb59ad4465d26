#pragma once

#include <atomic>

// Stop requests by signal. Installed before any file is made, so that a
// signal only asks the work to stop and every temporary file is removed or
// renamed as the program ends.
void installStopHandlers();

// Set once SIGINT or SIGTERM arrives: the workers stop taking blocks.
const std::atomic<bool>& stopRequested();
