#include "stats/figures.h"

#include <cmath>
#include <limits>

#include "stats/double_double.h"

namespace {

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

// Σ_b (N_A·S_bA − S_A·n_bA)·(N_B·S_bB − S_B·n_bB) for two series over the same
// blocks, expanded into their totals and the cross sums over blocks:
// N_A·N_B·ΣS_bA·S_bB − N_A·S_B·ΣS_bA·n_bB − S_A·N_B·Σn_bA·S_bB + S_A·S_B·Σn_bA·n_bB.
// Exact while each term stays below 2^125, so that their sum fits; past that,
// to 106 bits.
Wide crossSpread(const SeriesTally& a, const SeriesTally& b, const CrossSums& c) {
  const int na = bitWidth(a.rounds);
  const int sa = bitWidth(a.sum);
  const int nb = bitWidth(b.rounds);
  const int sb = bitWidth(b.sum);
  if (na + nb + bitWidth(c.sumSum) <= 125 && na + sb + bitWidth(c.sumRounds) <= 125 &&
      sa + nb + bitWidth(c.roundsSum) <= 125 && sa + sb + bitWidth(c.roundsRounds) <= 125) {
    return wide(a.rounds * b.rounds * c.sumSum - a.rounds * b.sum * c.sumRounds -
                a.sum * b.rounds * c.roundsSum + a.sum * b.sum * c.roundsRounds);
  }
  return wide(a.rounds) * wide(b.rounds) * wide(c.sumSum) -
         wide(a.rounds) * wide(b.sum) * wide(c.sumRounds) -
         wide(a.sum) * wide(b.rounds) * wide(c.roundsSum) +
         wide(a.sum) * wide(b.sum) * wide(c.roundsRounds);
}

// N²·Σ_b (S_b − r·n_b)² with r = S/N, that is Σ_b (N·S_b − S·n_b)²: a series
// paired with itself. Never negative, so clamped at zero against rounding.
Wide clusterSpread(const SeriesTally& t) {
  return atLeastZero(crossSpread(
      t, t, {t.blockRoundsSquared, t.blockRoundsSum, t.blockRoundsSum, t.blockSumSquared}));
}

// Whether a series' rounds fall in enough blocks for a cluster estimate.
bool clusterable(const SeriesTally& t, std::uint64_t blocks, int minBlocks) {
  return blocks >= 2 && t.blocksWithRounds >= minBlocks;
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
  if (clusterable(tally, blocks, minBlocks)) {
    const auto b = static_cast<Int128>(blocks);
    const Wide scale = wide(n * n * kUnits);
    e.se = sqrt(wide(b) * clusterSpread(tally) / (wide(b - 1) * scale * scale)).rounded();
    e.clustered = true;
  }
  e.ciLow = e.mean - kZ95 * e.se;
  e.ciHigh = e.mean + kZ95 * e.se;
  return e;
}

Difference difference(const SeriesTally& study, const SeriesTally& variant, const CrossSums& cross,
                      std::uint64_t blocks, int minBlocks) {
  const Estimate a = estimate(study, blocks, minBlocks);
  const Estimate b = estimate(variant, blocks, minBlocks);
  Difference d{study.rounds, variant.rounds, a.mean, b.mean, kNaN, kNaN, kNaN, kNaN, kNaN, false};
  if (study.rounds == 0 || variant.rounds == 0) {
    return d;
  }
  // (S_B·N_A − S_A·N_B) / (N_A·N_B), in payoff units.
  const Int128 na = study.rounds;
  const Int128 nb = variant.rounds;
  const bool fits =
      bitWidth(variant.sum) + bitWidth(na) <= 125 && bitWidth(study.sum) + bitWidth(nb) <= 125;
  const Wide gap = fits ? wide(variant.sum * na - study.sum * nb)
                        : wide(variant.sum) * wide(na) - wide(study.sum) * wide(nb);
  d.mean = (gap / (wide(na) * wide(nb * kUnits))).rounded();
  d.seUnpaired = std::sqrt(a.se * a.se + b.se * b.se);
  d.se = std::sqrt(a.seNaive * a.seNaive + b.seNaive * b.seNaive);
  if (clusterable(study, blocks, minBlocks) && clusterable(variant, blocks, minBlocks)) {
    const auto count = static_cast<Int128>(blocks);
    const Wide scaleA = wide(na * na * kUnits);
    const Wide scaleB = wide(nb * nb * kUnits);
    const Wide sum = clusterSpread(study) / (scaleA * scaleA) +
                     clusterSpread(variant) / (scaleB * scaleB) -
                     wide(2) * crossSpread(study, variant, cross) / (scaleA * scaleB);
    d.se = sqrt(wide(count) * atLeastZero(sum) / wide(count - 1)).rounded();
    d.clustered = true;
  }
  d.ciLow = d.mean - kZ95 * d.se;
  d.ciHigh = d.mean + kZ95 * d.se;
  return d;
}

RampFigures rampFigures(const StudyTally& tally, const CountWeights& ramp,
                        std::optional<double> bankroll, bool tallied) {
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
  RampFigures f{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, std::nullopt, kNaN, kNaN, kNaN};
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
  if (tallied) {
    f.se = estimate(tally.ramp, tally.blocks).se;
  }
  double shareVariance = 0.0;
  for (std::size_t slot = 0; slot < ramp.size(); ++slot) {
    const SeriesTally& count = tally.counts[slot];
    const double se = estimate(count, tally.blocks).se;
    if (count.rounds > 1) {
      const double weight = (wide(ramp[slot] * count.rounds) / wide(rounds)).rounded();
      shareVariance += weight * weight * se * se;
    }
  }
  f.seByCount = std::sqrt(shareVariance);
  if (bankroll) {
    f.riskOfRuin = ev > 0 ? std::exp(-2 * ev * *bankroll / variance.rounded()) : 1.0;
  }
  // sd² / ev² = (n·q − s²) / s², the units and rounds cancelling; ev / sd =
  // s / sqrt(n·q − s²).
  f.n0 = won == 0 ? std::numeric_limits<double>::infinity()
                  : (spreadOfWins / (wide(won) * wide(won))).rounded();
  f.di = (wide(1000 * won) / sqrt(spreadOfWins)).rounded();
  f.score =
      won > 0
          ? (wide(Int128{100} * kScoreBankroll) * wide(won) * wide(won) / spreadOfWins).rounded()
          : 0.0;
  return f;
}

SpotFigures spotFigures(const StudyTally& tally, const CountWeights& stakes) {
  Int128 rounds = 0;
  Int128 hands = 0;
  Int128 staked = 0;
  Int128 won = 0;
  Int128 squares = 0;
  Int128 crossProducts = 0;
  for (std::size_t slot = 0; slot < stakes.size(); ++slot) {
    const SeriesTally& count = tally.counts[slot];
    const Int128 stake = stakes[slot];
    rounds += count.rounds;
    hands += tally.hands[slot];
    staked += stake * tally.hands[slot];
    won += stake * count.sum;
    squares += stake * stake * count.sumSquares;
    crossProducts += stake * stake * (count.sumSquares - tally.handSquares[slot]);
  }
  if (rounds == 0) {
    return {kNaN, kNaN, kNaN, kNaN, kNaN};
  }
  const Wide perRound = wide(rounds * kUnits);
  const Wide perRoundSquared = wide(rounds * kUnits * kUnits);
  return {(wide(hands) / wide(rounds)).rounded(), (wide(staked) / wide(rounds)).rounded(),
          (wide(won) / wide(staked * kUnits)).rounded(),
          (spread(rounds, won, squares) / (perRound * perRound)).rounded(),
          (wide(crossProducts) / perRoundSquared).rounded()};
}

HourlyFigures hourlyFigures(double mean, double se, double sd, double roundsPerHour) {
  return {roundsPerHour, roundsPerHour * mean, roundsPerHour * se, std::sqrt(roundsPerHour) * sd,
          sd * sd / (mean * mean * roundsPerHour)};
}
