#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "stats/tally.h"
#include "strategy/player_rule.h"
#include "study/study_config.h"

// What a study counts besides payoffs: the player's decisions and the table's
// two rare events, which the lab reports instead of printing.
struct EventCounts {
  std::uint64_t decisions = 0;
  std::uint64_t shoeExhausted = 0;
  std::uint64_t overlongHands = 0;

  EventCounts& operator+=(const EventCounts& other);
  bool operator==(const EventCounts&) const = default;
};

// How far a run is asked to stop: the workers stop taking blocks at the
// first level and drop the blocks in flight at the second.
enum StopLevel : int {
  kRunOn = 0,
  kFinishBlocks = 1,
  kStopNow = 2,
};

// Plays studies' blocks. One player per worker: it holds the fixed strategy's
// tables, computed once, and a block's working tally, so playing a block
// allocates next to nothing and shares nothing with other workers.
class BlockPlayer {
 public:
  explicit BlockPlayer(const StudyConfig& config);

  // Plays block `block` from a fresh shoe shuffled by the block's own
  // generator and folds it into `tally` and `events`. Looks at `stop`
  // between rounds: at kStopNow the block is dropped, nothing is folded, and
  // the answer is false.
  bool play(std::uint64_t block, StudyTally& tally, EventCounts& events,
            const std::atomic<int>& stop);

  // The two halves of play, for a comparison, which folds a block only once
  // both its sides have played it: playRounds plays the block into the
  // player's block tally (false when stopped), fold adds that to a study's.
  bool playRounds(std::uint64_t block, const std::atomic<int>& stop);
  void fold(StudyTally& tally, EventCounts& events) const;
  const BlockTally& blockTally() const { return blockTally_; }

 private:
  const StudyConfig& config_;
  std::optional<BasicStrategy> basic_;
  CountWeights weighted_;
  CountWeights ramp_;
  BlockTally blockTally_;
  EventCounts blockEvents_;
};
