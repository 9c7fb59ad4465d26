#pragma once

#include <cstdint>
#include <optional>

#include "stats/tally.h"

// The figures printed for one series, in stakes (a tally's payoff units
// divided by kPayoffUnitsPerStake). NaN where a figure is undefined: all of
// them without rounds, all but the mean with a single round.
//
// Every figure is computed in double from exact integers: the sums below are
// formed in 128 bits wherever they fit (every real study), converted once and
// then go through IEEE operations (+ − × ÷ and sqrt, each correctly rounded)
// in a fixed order, so the same tallies give the same bits on any machine.
struct Estimate {
  Int128 rounds;
  double mean;
  double sd;
  double se;       // of the mean; the cluster estimate when `clustered`
  double seNaive;  // of the mean, as if every round were independent
  double ciLow;    // 95% confidence interval of the mean, from `se`
  double ciHigh;
  bool clustered;
};

// Figures of a series tallied over `blocks` blocks. With N rounds, S = Σx,
// Q = Σx² (in stakes):
//   mean    = S/N
//   sd      = sqrt((Q − S²/N) / (N − 1)), the sample standard deviation
//   seNaive = sd / sqrt(N)
//   se      = sqrt(B/(B−1) · Σ_b (S_b − r·n_b)² / N²) with r = S/N over the
//             B blocks: the ratio estimator's cluster standard error, which
//             holds however the rounds within a block depend on each other.
//             It needs the series' rounds spread over at least
//             `minBlocks` blocks (and two); with fewer it says nothing
//             reliable, so se = seNaive and `clustered` is false.
//   ci      = mean ± 1.959963984540054·se
inline constexpr int kMinClusterBlocks = 10;
Estimate estimate(const SeriesTally& tally, std::uint64_t blocks,
                  int minBlocks = kMinClusterBlocks);

// A bet ramp's result, from the per-count tallies of rounds played at one
// unit: with stake w_c at count c, per round
//   averageBet = Σ w_c·n_c / N
//   evPerRound = Σ w_c·S_c / N                       (evPer100 = 100 times it)
//   sdPerRound = sqrt(Σ w_c²·Q_c / N − evPerRound²), the population form: N is
//                in the hundreds of millions, where N and N − 1 do not differ
//   se         = the cluster standard error of the ramp series' mean
//   riskOfRuin = exp(−2·ev·bankroll / sd²), the diffusion approximation for a
//                player who plays the ramp forever; 1 when ev ≤ 0, since such
//                a player is ruined for sure; none without a bankroll. The
//                one figure that goes through the C library's exp, which
//                machines may round differently in the last bit.
//   n0         = sd² / ev², the rounds after which the expected win equals one
//                standard deviation; infinite when ev = 0
// The se needs the study to have played this ramp (StudyTally::ramp).
struct RampFigures {
  double averageBet;
  double evPerRound;
  double evPer100;
  double sdPerRound;
  double se;
  std::optional<double> riskOfRuin;
  double n0;
};

RampFigures rampFigures(const StudyTally& tally, const CountWeights& ramp,
                        std::optional<double> bankroll);
