#pragma once

#include <array>

#include "table/game_rules.h"

// Which hands of a split may split again when they draw the pair card.
enum class Resplits {
  Never,
  FirstHandOnly,  // the hand the pair came from, each time; the new hands never
  EveryHand,
};

// Expected numbers, per split, of the second cards the split's hands draw and
// of the hands that end as pairs no longer split (the hand limit reached), for
// the two kinds of hand: kind 0 is the hand the pair came from (every hand,
// when every hand may split again), kind 1 the new hands that may not.
struct SplitCounts {
  std::array<double, 2> draws{};
  std::array<double, 2> pairs{};
};

// The expected number of resplits, at most `room`, when each second card
// matches the pair with chance q (no depletion). With `endless` (no hand
// limit) the series stops once its terms fall below 1e-18 of its sum, when
// the resplits die out for sure; `room` then is the table's guard.
double expectedResplits(double q, int room, Resplits resplits, bool endless);

SplitCounts expectedSplitCounts(double q, int room, Resplits resplits, bool endless);

// How many more resplits the hand limit allows once a round of
// `handsInRound` hands splits one more pair.
int resplitRoom(int handsInRound, const GameRules& rules);
