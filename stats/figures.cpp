#include "stats/figures.h"

#include <cmath>
#include <limits>

#include "stats/double_double.h"

namespace {

constexpr double kZ95 = 1.959963984540054;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr Int128 kUnits = kPayoffUnitsPerStake;

using Wide = DoubleDouble;

// Bits of |value|: a product of an a-bit and a b-bit number has at most a + b.
int bitWidth(Int128 value) {
  int width = 0;
  for (UInt128 rest = magnitude(value); rest != 0; rest >>= 1) {
    ++width;
  }
  return width;
}

Wide wide(Int128 value) {
  return Wide::of(value);
}

Wide atLeastZero(Wide value) {
  return value.high < 0.0 ? Wide{} : value;
}

// n·q − s² for n values with Σx = s, Σx² = q: n² times their population
// variance. It equals Σ_{i<j} (x_i − x_j)², so computed exactly it suffers no
// cancellation and is never negative. Both products fit in Int128 for any real
// study (10^10 rounds of payoffs up to 10^4 units stay near 10^28); past that,
// to 106 bits, clamped at zero against rounding.
Wide spread(Int128 n, Int128 s, Int128 q) {
  if (bitWidth(n) + bitWidth(q) <= 126 && 2 * bitWidth(s) <= 126) {
    return wide(n * q - s * s);
  }
  return atLeastZero(wide(n) * wide(q) - wide(s) * wide(s));
}

// N²·Σ_b (S_b − r·n_b)² with r = S/N, that is Σ_b (N·S_b − S·n_b)², expanded
// into the block sums the tally keeps: N²·ΣS_b² − 2·N·S·Σn_b·S_b + S²·Σn_b².
// Exact, as above, while each term stays below 2^125 so their sum fits.
Wide clusterSpread(const SeriesTally& t) {
  const int n = bitWidth(t.rounds);
  const int s = bitWidth(t.sum);
  if (2 * n + bitWidth(t.blockSumSquared) <= 125 && n + s + 1 + bitWidth(t.blockRoundsSum) <= 125 &&
      2 * s + bitWidth(t.blockRoundsSquared) <= 125) {
    return wide(t.rounds * t.rounds * t.blockSumSquared - 2 * t.rounds * t.sum * t.blockRoundsSum +
                t.sum * t.sum * t.blockRoundsSquared);
  }
  const Wide rounds = wide(t.rounds);
  const Wide sum = wide(t.sum);
  return atLeastZero(rounds * rounds * wide(t.blockSumSquared) -
                     wide(2) * rounds * sum * wide(t.blockRoundsSum) +
                     sum * sum * wide(t.blockRoundsSquared));
}

}  // namespace

Estimate estimate(const SeriesTally& tally, std::uint64_t blocks, int minBlocks) {
  Estimate e{tally.rounds, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, false};
  if (tally.rounds == 0) {
    return e;
  }
  const Int128 n = tally.rounds;
  e.mean = (wide(tally.sum) / wide(n * kUnits)).rounded();
  if (n == 1) {
    return e;
  }
  // sd² = (n·q − s²) / (n·(n − 1)) in units, divided by the units' square.
  const Wide variance =
      spread(n, tally.sum, tally.sumSquares) / wide(n * (n - 1) * kUnits * kUnits);
  e.sd = sqrt(variance).rounded();
  e.seNaive = sqrt(variance / wide(n)).rounded();
  e.se = e.seNaive;
  if (blocks >= 2 && tally.blocksWithRounds >= minBlocks) {
    const auto b = static_cast<Int128>(blocks);
    const Wide scale = wide(n * n * kUnits);
    e.se = sqrt(wide(b) * clusterSpread(tally) / (wide(b - 1) * scale * scale)).rounded();
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
  const Wide perRound = wide(rounds * kUnits);
  const Wide spreadOfWins = spread(rounds, won, squares);
  const Wide variance = spreadOfWins / (perRound * perRound);
  const double ev = (wide(won) / perRound).rounded();
  f.averageBet = (wide(staked) / wide(rounds)).rounded();
  f.evPerRound = ev;
  f.evPer100 = (wide(100 * won) / perRound).rounded();
  f.sdPerRound = sqrt(variance).rounded();
  f.se = estimate(tally.ramp, tally.blocks).se;
  if (bankroll) {
    f.riskOfRuin = ev > 0 ? std::exp(-2 * ev * *bankroll / variance.rounded()) : 1.0;
  }
  // sd² / ev² = (n·q − s²) / s², the units and rounds cancelling.
  f.n0 = won == 0 ? std::numeric_limits<double>::infinity()
                  : (spreadOfWins / (wide(won) * wide(won))).rounded();
  return f;
}
