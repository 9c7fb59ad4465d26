#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "count/true_count.h"
#include "stats/exact.h"
#include "table/payoff_unit.h"

// Exact tallies of round payoffs per whole true count. Every payoff at a stake
// of one unit is a whole number of payoff units (kPayoffUnitsPerStake to the
// stake), so payoffs and their squares are counted as integers, whose sums do
// not depend on the order of additions: tallies merged from any split of the
// work are identical to the bit.

// The counts a round is booked at, -60..60, one slot each.
constexpr int kCountSlots = 2 * kCountLimit + 1;
constexpr int kLowestCount = -kCountLimit;
constexpr int kHighestCount = kCountLimit;

// The slot of a count in -60..60.
constexpr std::size_t countSlot(int count) {
  return static_cast<std::size_t>(count - kLowestCount);
}

// One block's rounds, as they are played. 64 bits hold any one block: even
// 10^8 rounds of payoffs of 10^4 units sum their squares to only 10^16.
struct BlockTally {
  std::array<std::int64_t, kCountSlots> rounds{};
  std::array<std::int64_t, kCountSlots> payoffs{};
  std::array<std::int64_t, kCountSlots> payoffSquares{};
  // Under a spot rule: the hands played side by side (each with its splits
  // and insurance) and the sum of each hand's payoff units squared.
  std::array<std::int64_t, kCountSlots> hands{};
  std::array<std::int64_t, kCountSlots> handSquares{};

  // Books one round's payoff in payoff units; a count outside -60..60 has no
  // slot and is not booked.
  void record(int count, std::int64_t units) {
    if (count < kLowestCount || count > kHighestCount) {
      return;
    }
    const std::size_t slot = countSlot(count);
    ++rounds[slot];
    payoffs[slot] += units;
    payoffSquares[slot] += units * units;
  }
  // Books a spread round's hands, at the count its payoff was booked at.
  void recordHands(int count, int played, std::int64_t squares) {
    if (count < kLowestCount || count > kHighestCount) {
      return;
    }
    hands[countSlot(count)] += played;
    handSquares[countSlot(count)] += squares;
  }
  void clear() { *this = BlockTally{}; }
};

// Exact sums over blocks for one series of per-round values x (payoff units,
// or stake-weighted payoff units). Besides the rounds n, Σx
// and Σx², it keeps per block b the products a cluster estimate of the error
// needs: Σ_b n_b², Σ_b S_b² and Σ_b n_b·S_b, where S_b = Σx over the block.
struct SeriesTally {
  Int128 rounds = 0;
  Int128 sum = 0;
  Int128 sumSquares = 0;
  Int128 blockRoundsSquared = 0;
  Int128 blockSumSquared = 0;
  Int128 blockRoundsSum = 0;
  // Blocks with at least one round in the series: a cluster estimate from a
  // handful of them would be noise (two rounds of one block give it zero).
  Int128 blocksWithRounds = 0;

  // Folds one block of n rounds with Σx = s and Σx² = q.
  void addBlock(Int128 n, Int128 s, Int128 q);
  SeriesTally& operator+=(const SeriesTally& other);
  bool operator==(const SeriesTally&) const = default;
};

// A whole-unit stake per count slot.
using CountWeights = std::array<std::int64_t, kCountSlots>;

// The stakes of truecount's count-weighted summary: 2·c units at a count c > 0,
// one unit otherwise.
CountWeights truecountWeights();

// Everything a study keeps: one series per count, all rounds together, the
// count-weighted series and the bet ramp's series (zero when no ramp is
// played). Tallies of disjoint sets of blocks merge with +=.
struct StudyTally {
  std::array<SeriesTally, kCountSlots> counts{};
  SeriesTally all;
  SeriesTally weighted;
  SeriesTally ramp;
  // Per count, the hands of rounds played under a spot rule and their payoffs'
  // squares summed hand by hand (BlockTally::recordHands); zero without one.
  // With Σx² of the rounds' sums, they give the covariance the hands add.
  std::array<Int128, kCountSlots> hands{};
  std::array<Int128, kCountSlots> handSquares{};
  // Every finished block, also one without a round at some count: a block
  // with none still weighs in the cluster estimate of that count.
  std::uint64_t blocks = 0;

  // Folds a finished block: each count's rounds, the block's totals, and the
  // series x = w(c)·payoff for the weighted stakes and, when given, the ramp.
  void addBlock(const BlockTally& block, const CountWeights& weightedStakes,
                const CountWeights* rampStakes);
  StudyTally& operator+=(const StudyTally& other);
  bool operator==(const StudyTally&) const = default;
};

// What pairs two series played over the same blocks (a study and its variant,
// each block dealt to both from the same shoe): with n_b, S_b the rounds and
// payoff sum of the first series in block b and m_b, T_b those of the second,
// Σ_b n_b·m_b, Σ_b n_b·T_b, Σ_b S_b·m_b and Σ_b S_b·T_b. With each series'
// own sums they give the paired error of the difference of the two means.
struct CrossSums {
  Int128 roundsRounds = 0;
  Int128 roundsSum = 0;
  Int128 sumRounds = 0;
  Int128 sumSum = 0;

  void addBlock(Int128 n, Int128 s, Int128 m, Int128 t);
  CrossSums& operator+=(const CrossSums& other);
  bool operator==(const CrossSums&) const = default;
};

// The cross sums of a study and its variant: per count, all rounds, the
// count-weighted series and, when both sides play a ramp, the ramp series.
// Tallies of disjoint sets of blocks merge with +=.
struct CrossTally {
  std::array<CrossSums, kCountSlots> counts{};
  CrossSums all;
  CrossSums weighted;
  CrossSums ramp;

  // Folds one block as the study (`a`) and the variant (`b`) played it.
  void addBlock(const BlockTally& a, const BlockTally& b, const CountWeights& weightedStakes,
                const CountWeights* rampA, const CountWeights* rampB);
  CrossTally& operator+=(const CrossTally& other);
  bool operator==(const CrossTally&) const = default;
};
