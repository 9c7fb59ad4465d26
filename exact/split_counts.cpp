#include "exact/split_counts.h"

namespace {

constexpr double kNegligible = 1e-18;

}  // namespace

// With no limit, R resplits happen with chance t_j = P(R = j): (1 - q) q^j
// when only the first hand splits again; when every hand does, the hands
// still to draw walk from 2 up by one per resplit and down by one per final
// hand, so t_j = b_j q^j (1 - q)^(j + 2) with b_j the walks from 2 that first
// reach 0 after j ups: b_0 = 1, b_(j+1) = b_j 2(2j + 3)/(j + 3). A limit
// stops the walk at `room` resplits: E[min(R, room)] = sum of j t_j below
// room, plus room times the chance of reaching it.
double expectedResplits(double q, int room, Resplits resplits, bool endless) {
  if (resplits == Resplits::Never || room <= 0) {
    return 0.0;
  }
  const bool every = resplits == Resplits::EveryHand;
  // Only then do the terms fall for good (from j = 3) and sum to 1.
  const bool diesOut = every ? 2.0 * q < 1.0 : q < 1.0;
  double t = every ? (1.0 - q) * (1.0 - q) : 1.0 - q;
  double chance = 0.0;
  double sum = 0.0;
  for (int j = 0; j < room; ++j) {
    chance += t;
    const double term = j * t;
    sum += term;
    if (endless && diesOut && j >= 3 && term <= kNegligible * sum) {
      return sum;
    }
    t *= every ? 2.0 * (2 * j + 3) / (j + 3) * q * (1.0 - q) : q;
  }
  return sum + room * (1.0 - chance);
}

// Each hand draws until it ends; a pair card on a hand that may split again
// resplits while there is room, so by Wald's identity the pair cards drawn,
// q times the draws, are the resplits plus the pairs that end a hand. Every
// resplit adds a draw to the hand that split and one for the new hand.
SplitCounts expectedSplitCounts(double q, int room, Resplits resplits, bool endless) {
  const double r = expectedResplits(q, room, resplits, endless);
  SplitCounts counts;
  switch (resplits) {
    case Resplits::EveryHand:
      counts.draws[0] = 2.0 + 2.0 * r;
      counts.pairs[0] = q * counts.draws[0] - r;
      break;
    case Resplits::FirstHandOnly:
      counts.draws[0] = 1.0 + r;
      counts.pairs[0] = q * counts.draws[0] - r;
      counts.draws[1] = 1.0 + r;
      counts.pairs[1] = q * counts.draws[1];
      break;
    case Resplits::Never:
      counts.draws = {1.0, 1.0};
      counts.pairs = {q, q};
      break;
  }
  return counts;
}

int resplitRoom(int handsInRound, const GameRules& rules) {
  // The round holds one hand more once the pair splits. Without a limit the
  // room is the guard's as seen from a first split, whatever the round holds:
  // the series has died out long before, but for a shoe rich in the pair card.
  const bool limited = rules.maxHands != GameRules::kNoHandLimit;
  return rules.handLimit() - (limited ? handsInRound + 1 : 2);
}
