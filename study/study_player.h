#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "study/block_play.h"
#include "study/study_result.h"

// Plays a result's blocks: a study's with its player alone, a comparison's
// with the study's player and the variant's, each block dealt to both from
// the same shoe (the block's own generator) and folded, with the cross sums
// that pair the two sides, only once both have played it. One per worker.
class StudyPlayer {
 public:
  // With `deviations`, the study's player is index generation's pricer.
  explicit StudyPlayer(const StudyResult& result, DeviationTally* deviations = nullptr);

  // Plays block `block` and adds it to `into`'s tallies and events. Looks at
  // `stop` between rounds: at kStopNow the block is dropped, nothing is
  // added, and the answer is false.
  bool play(std::uint64_t block, StudyResult& into, const std::atomic<int>& stop);

 private:
  BlockPlayer study_;
  std::optional<BlockPlayer> variant_;
  CountWeights weighted_;
  CountWeights studyRamp_;
  CountWeights variantRamp_;
};
