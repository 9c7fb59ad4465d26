#include "stats/figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kZ95 = 1.959963984540054;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Bits of |value|: a product of an a-bit and a b-bit number has at most a + b.
int bitWidth(Int128 value) {
  int width = 0;
  for (UInt128 rest = magnitude(value); rest != 0; rest >>= 1) {
    ++width;
  }
  return width;
}

// n·q − s² for n values with Σx = s, Σx² = q: n² times their population
// variance. It equals Σ_{i<j} (x_i − x_j)², so computed exactly it suffers no
// cancellation and is never negative. Both products fit in Int128 for any real
// study (10^10 rounds of payoffs up to 10^4 tally units stay near 10^28); past
// that, long double, clamped at zero against rounding.
long double spread(Int128 n, Int128 s, Int128 q) {
  if (bitWidth(n) + bitWidth(q) <= 126 && 2 * bitWidth(s) <= 126) {
    return static_cast<long double>(n * q - s * s);
  }
  const auto ln = static_cast<long double>(n);
  const auto ls = static_cast<long double>(s);
  return std::max(0.0L, ln * static_cast<long double>(q) - ls * ls);
}

// N²·Σ_b (S_b − r·n_b)² with r = S/N, that is Σ_b (N·S_b − S·n_b)², expanded
// into the block sums the tally keeps: N²·ΣS_b² − 2·N·S·Σn_b·S_b + S²·Σn_b².
// Exact, as above, while each term stays below 2^125 so their sum fits.
long double clusterSpread(const SeriesTally& t) {
  const int n = bitWidth(t.rounds);
  const int s = bitWidth(t.sum);
  if (2 * n + bitWidth(t.blockSumSquared) <= 125 && n + s + 1 + bitWidth(t.blockRoundsSum) <= 125 &&
      2 * s + bitWidth(t.blockRoundsSquared) <= 125) {
    return static_cast<long double>(t.rounds * t.rounds * t.blockSumSquared -
                                    2 * t.rounds * t.sum * t.blockRoundsSum +
                                    t.sum * t.sum * t.blockRoundsSquared);
  }
  const auto ln = static_cast<long double>(t.rounds);
  const long double r = static_cast<long double>(t.sum) / ln;
  const long double sumOfSquares = static_cast<long double>(t.blockSumSquared) -
                                   2 * r * static_cast<long double>(t.blockRoundsSum) +
                                   r * r * static_cast<long double>(t.blockRoundsSquared);
  return std::max(0.0L, sumOfSquares) * ln * ln;
}

}  // namespace

Estimate estimate(const SeriesTally& tally, std::uint64_t blocks, double unit, int minBlocks) {
  Estimate e{tally.rounds, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, false};
  if (tally.rounds == 0) {
    return e;
  }
  const auto n = static_cast<long double>(tally.rounds);
  e.mean = static_cast<double>(static_cast<long double>(tally.sum) / n * unit);
  if (tally.rounds == 1) {
    return e;
  }
  const long double sd =
      std::sqrt(spread(tally.rounds, tally.sum, tally.sumSquares) / (n * (n - 1)));
  e.sd = static_cast<double>(sd * unit);
  e.seNaive = static_cast<double>(sd / std::sqrt(n) * unit);
  e.se = e.seNaive;
  if (blocks >= 2 && tally.blocksWithRounds >= minBlocks) {
    const auto b = static_cast<long double>(blocks);
    e.se = static_cast<double>(std::sqrt(b / (b - 1) * clusterSpread(tally)) / (n * n) * unit);
    e.clustered = true;
  }
  e.ciLow = e.mean - kZ95 * e.se;
  e.ciHigh = e.mean + kZ95 * e.se;
  return e;
}

RampFigures rampFigures(const StudyTally& tally, const CountWeights& ramp,
                        std::optional<double> bankroll) {
  Int128 rounds = 0;
  Int128 staked = 0;
  Int128 won = 0;
  Int128 squares = 0;
  for (std::size_t slot = 0; slot < ramp.size(); ++slot) {
    const SeriesTally& count = tally.counts[slot];
    const Int128 stake = ramp[slot];
    rounds += count.rounds;
    staked += stake * count.rounds;
    won += stake * count.sum;
    squares += stake * stake * count.sumSquares;
  }
  RampFigures f{kNaN, kNaN, kNaN, kNaN, kNaN, std::nullopt, kNaN};
  if (bankroll) {
    f.riskOfRuin = kNaN;
  }
  if (rounds == 0) {
    return f;
  }
  const auto n = static_cast<long double>(rounds);
  // Payoffs are in half units, their squares in quarter units.
  const long double ev = static_cast<long double>(won) / n / 2;
  const long double variance = spread(rounds, won, squares) / (n * n) / 4;
  f.averageBet = static_cast<double>(static_cast<long double>(staked) / n);
  f.evPerRound = static_cast<double>(ev);
  f.evPer100 = static_cast<double>(100 * ev);
  f.sdPerRound = static_cast<double>(std::sqrt(variance));
  f.se = estimate(tally.ramp, tally.blocks, 0.5).se;
  if (bankroll) {
    f.riskOfRuin = ev > 0 ? static_cast<double>(std::exp(-2 * ev * *bankroll / variance)) : 1.0;
  }
  f.n0 =
      ev == 0 ? std::numeric_limits<double>::infinity() : static_cast<double>(variance / (ev * ev));
  return f;
}
