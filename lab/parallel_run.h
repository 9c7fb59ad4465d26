#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "study/block_play.h"
#include "study/study_result.h"

// Plays the blocks at `positions` of the study's shard on `threads` workers
// and adds every finished block to `result`. Each worker takes the next block
// until none is left or `stop` reaches kFinishBlocks; at kStopNow the blocks
// in flight are dropped too. What is added is a set of whole blocks. `watch`
// is called on the calling thread about every quarter second with the rounds
// finished so far, until the workers are done.
// With `deviations`, basic strategy is played by index generation's pricer,
// whose tallies of the blocks finished are added there. With `checkpoints`,
// the study as it stands is handed to their `save` on the calling thread
// about every `every`, while the workers go on.
struct Checkpoints {
  std::chrono::milliseconds every;
  // Given `result` with every block finished so far: whole blocks only.
  std::function<void(const StudyResult& partial)> save;
};
void playBlocks(StudyResult& result, const BlockSet& positions, int threads,
                const std::atomic<int>& stop,
                const std::function<void(std::uint64_t roundsDone)>& watch,
                DeviationTally* deviations = nullptr, const Checkpoints* checkpoints = nullptr);
