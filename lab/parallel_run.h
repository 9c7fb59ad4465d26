#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "study/study_result.h"

// Plays `blocks` of the study on `threads` workers and adds every finished
// block to `result`. Each worker takes the next block until none is left or
// `stop` is set; blocks in flight are always finished, so what is added is a
// set of whole blocks. `watch` is called on the calling thread about every
// quarter second with the rounds finished so far, until the workers are done.
void playBlocks(StudyResult& result, const std::vector<std::uint64_t>& blocks, int threads,
                const std::atomic<bool>& stop,
                const std::function<void(std::uint64_t roundsDone)>& watch);
