#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "count/card_counter.h"
#include "stats/tally.h"
#include "strategy/counting_player.h"
#include "strategy/deviation_pricer.h"
#include "strategy/deviation_tally.h"
#include "study/study_config.h"
#include "study/trip.h"

// What a study counts besides payoffs: the player's decisions, the table's
// two rare events, which the lab reports instead of printing, the rounds
// a wonging player only watched (dealt and played, but not his) and the shoes
// begun (rounds dealt from a fresh shoe), which files written before they were
// counted do not hold.
struct EventCounts {
  std::uint64_t decisions = 0;
  std::uint64_t shoeExhausted = 0;
  std::uint64_t overlongHands = 0;
  std::uint64_t roundsWatched = 0;
  std::uint64_t shoes = 0;
  bool shoesCounted = true;

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
// tables, computed once, the player's count and a block's working tally, so
// playing a block allocates next to nothing and shares nothing with other
// workers.
//
// Basic strategy plays as a counter (CountingPlayer: index plays, if any, by
// the study's count); with `deviations`, as index generation's pricer, which
// tallies there. Each round is booked at the study's count, and a wonging
// player's watched rounds are counted apart and booked nowhere.
class BlockPlayer {
 public:
  explicit BlockPlayer(const StudyConfig& config, DeviationTally* deviations = nullptr);
  // The players hold the address of the counter beside them: never copied.
  BlockPlayer(const BlockPlayer&) = delete;
  BlockPlayer& operator=(const BlockPlayer&) = delete;
  BlockPlayer(BlockPlayer&&) = delete;
  BlockPlayer& operator=(BlockPlayer&&) = delete;
  ~BlockPlayer() = default;

  // Plays block `block` from a fresh shoe shuffled by the block's own
  // generator and folds it into `tally`, `events` and the deviations. Looks
  // at `stop` between rounds: at kStopNow the block is dropped, nothing is
  // folded, and the answer is false.
  bool play(std::uint64_t block, StudyTally& tally, EventCounts& events,
            const std::atomic<int>& stop);

  // The two halves of play, for a comparison, which folds a block only once
  // both its sides have played it: playRounds plays the block into the
  // player's block tally (false when stopped), fold adds that to a study's
  // and closes the block's deviations.
  bool playRounds(std::uint64_t block, const std::atomic<int>& stop);
  void fold(StudyTally& tally, EventCounts& events);
  const BlockTally& blockTally() const { return blockTally_; }

  // Plays trip `trip`: the rounds of the plan dealt from the trip's own fresh
  // shoe (the generator of the block of that number), each round played
  // staked by the ramp at its count until the bankroll cannot cover the
  // stake. None when stopped at kStopNow.
  std::optional<TripOutcome> playTrip(std::uint64_t trip, const TripPlan& plan,
                                      const std::atomic<int>& stop);

 private:
  // Deals `rounds` rounds from the fresh shoe of generator `stream`, counting
  // the events and handing each round, with whether the player sits in for
  // it, to `book`, which answers whether to deal on. False when stopped at
  // kStopNow.
  template <typename Book>
  bool deal(std::uint64_t stream, std::uint64_t rounds, const std::atomic<int>& stop, Book book);

  const StudyConfig& config_;
  // The rules as played: an index set's insurance row becomes their policy.
  GameRules rules_;
  CardCounter counter_;
  std::optional<CountingPlayer> counting_;
  // The other players at the table: basic strategy, no index play.
  std::optional<CountingPlayer> others_;
  std::optional<DeviationPricer> pricer_;
  DeviationTally* deviations_;
  CountWeights weighted_;
  CountWeights ramp_;
  BlockTally blockTally_;
  EventCounts blockEvents_;
};
