#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "stats/tally.h"
#include "strategy/index_plays.h"

// One kind of decision of index generation: a hand against an up card where
// basic strategy takes `basic`, and another action it might have taken. The
// insurance bet is the hand IndexHand::Insurance, declined by basic strategy
// (basic Stand) and taken by the alternative (Hit stands for "insure").
struct DeviationKey {
  IndexHand hand = IndexHand::Hard;
  int value = 0;
  int upCard = 0;
  int basic = 0;
  int alternative = 0;
  bool operator==(const DeviationKey&) const = default;
};

// The exact tallies of index generation: per decision kind and whole true
// count, the price difference alternative - basic of every decision, in
// fixed point (kUnitsPerStake units a stake, each difference rounded to the
// nearest unit), with the per-block sums a cluster standard error needs, as
// a study keeps its payoffs. Tallies of disjoint sets of blocks merge with +=
// to the bit, whatever the order.
class DeviationTally {
 public:
  static constexpr std::int64_t kUnitsPerStake = 1'000'000'000;
  // Differences are clamped to this many stakes, so that no sum can wrap:
  // real decisions stay within a few stakes.
  static constexpr double kMostStakes = 1000.0;

  struct Series {
    DeviationKey key;
    std::array<SeriesTally, kCountSlots> counts{};
  };

  DeviationTally();
  DeviationTally(const DeviationTally& other);
  DeviationTally& operator=(const DeviationTally& other);
  DeviationTally(DeviationTally&&) noexcept = default;
  DeviationTally& operator=(DeviationTally&&) noexcept = default;
  ~DeviationTally() = default;

  // One decision at whole true count `count` (-60..60) of the current block;
  // a difference that is not a number is not a price and is left out.
  void record(const DeviationKey& key, int count, double difference);
  // Folds the current block's decisions into the tallies, one block more.
  void endBlock();
  // Forgets the current block's decisions: a block dropped unfinished.
  void dropBlock();
  DeviationTally& operator+=(const DeviationTally& other);

  std::uint64_t blocks() const { return blocks_; }
  // Every decision kind with at least one decision, in key order.
  std::vector<const Series*> series() const;

 private:
  struct BlockCell {
    std::int64_t n = 0;
    Int128 sum = 0;
    Int128 squares = 0;
  };
  struct Group {
    Series series;
    std::array<BlockCell, kCountSlots> block{};
    bool touched = false;
  };
  static std::size_t groupOf(const DeviationKey& key);
  Group& groupAt(const DeviationKey& key);

  std::vector<std::unique_ptr<Group>> groups_;
  std::vector<Group*> touched_;
  std::uint64_t blocks_ = 0;
};

// A generated index: the count at which the mean difference of a decision
// kind crosses zero, interpolated between the whole counts around it, with
// the counts at which mean ± 1.96 se cross it (none where they do not within
// the counts measured). The alternative is better at counts at or above the
// index, or at or below it.
struct GeneratedIndex {
  DeviationKey key;
  double index = 0.0;
  std::optional<double> low;
  std::optional<double> high;
  bool atOrAbove = true;
  Int128 decisions = 0;
};

// Counts with fewer decisions than this are left out of the search.
inline constexpr int kMinIndexDecisions = 100;

// One point of a mean difference curve: a whole count, the mean and its se.
struct DifferencePoint {
  int count = 0;
  double mean = 0.0;
  double se = 0.0;
};

// The crossings of one curve, ascending by count. Above: from the highest
// count down to the last count where the alternative is not better; below:
// the same from the lowest count up. None where the alternative is not better
// at the end of the range, or is better everywhere.
std::optional<GeneratedIndex> crossingAbove(const std::vector<DifferencePoint>& points);
std::optional<GeneratedIndex> crossingBelow(const std::vector<DifferencePoint>& points);

// Every index found in the tallies: per decision kind, a crossing above and
// one below where they exist. A soft 12 that may not split (two aces after a
// split that may not split again) has no notation of its own, "A,A" being the
// pair, and is left out.
std::vector<GeneratedIndex> generatedIndices(const DeviationTally& tally);
