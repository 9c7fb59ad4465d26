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
// The two-sided 95% point of the normal distribution.
inline constexpr double kZ95 = 1.959963984540054;
Estimate estimate(const SeriesTally& tally, std::uint64_t blocks,
                  int minBlocks = kMinClusterBlocks);

// The paired difference of two series played over the same blocks, each
// block dealt to both from the same shoe: the variant's mean less the
// study's, r_B − r_A with r_A = S_A/N_A and r_B = S_B/N_B. Linearised over
// blocks (the delta method), with per block b the residuals
// u_b = N_A·S_bA − S_A·n_bA and v_b = N_B·S_bB − S_B·n_bB,
//   se² = B/(B−1) · Σ_b (u_b/N_A² − v_b/N_B²)²
//       = B/(B−1) · (Σu_b²/N_A⁴ + Σv_b²/N_B⁴ − 2·Σu_b·v_b/(N_A²·N_B²)),
// whose three sums are formed from the exactly kept per-block sums and cross
// sums (CrossSums) in 128 bits wherever they fit. The shared shoes make the
// two sides' block results move together, so the cross term takes most of
// the noise away. With either side's rounds in fewer than `minBlocks` blocks
// (or fewer than two blocks) the independent-rounds figure
// sqrt(seNaive_A² + seNaive_B²) is given instead and `clustered` is false.
struct Difference {
  Int128 studyRounds;
  Int128 variantRounds;
  double studyMean;
  double variantMean;
  double mean;  // variantMean − studyMean, from the exact sums
  double se;
  // sqrt(se_A² + se_B²), each side's own standard error: the difference's
  // error had the two been played on shoes of their own.
  double seUnpaired;
  double ciLow;
  double ciHigh;
  bool clustered;
};

Difference difference(const SeriesTally& study, const SeriesTally& variant, const CrossSums& cross,
                      std::uint64_t blocks, int minBlocks = kMinClusterBlocks);

// A bet ramp's result, from the per-count tallies of rounds played at one
// unit: with stake w_c at count c, per round
//   averageBet = Σ w_c·n_c / N
//   evPerRound = Σ w_c·S_c / N                       (evPer100 = 100 times it)
//   sdPerRound = sqrt(Σ w_c²·Q_c / N − evPerRound²), the population form: N is
//                in the hundreds of millions, where N and N − 1 do not differ
//   se         = the cluster standard error of the ramp series' mean, when the
//                study played this ramp (`tallied`: StudyTally::ramp); NaN
//                otherwise
//   seByCount  = sqrt(Σ_c (w_c·n_c/N)²·se_c²), from each count's standard
//                error, the counts treated as independent and their shares
//                as fixed; counts of a single round, which have no error, are
//                left out
//   riskOfRuin = exp(−2·ev·bankroll / sd²), the diffusion approximation for a
//                player who plays the ramp forever; 1 when ev ≤ 0, since such
//                a player is ruined for sure; none without a bankroll. The
//                one figure that goes through the C library's exp, which
//                machines may round differently in the last bit.
//   n0         = sd² / ev², the rounds after which the expected win equals one
//                standard deviation; infinite when ev = 0
//   di         = 1000·ev / sd, the desirability index
//   score      = the expected win per 100 rounds of this ramp scaled to its
//                growth-optimal size for a bankroll of kScoreBankroll units:
//                scaled by k the ramp wins k·ev a round with variance k²·sd²,
//                the log-growth k·ev − k²·sd²/(2·bankroll) is largest at
//                k = bankroll·ev/sd², and the win per 100 rounds is then
//                100·bankroll·ev²/sd² = 10^6·(ev/sd)² = di²; 0 when ev ≤ 0,
//                where the optimal size is no bet
inline constexpr std::int64_t kScoreBankroll = 10000;
struct RampFigures {
  double averageBet;
  double evPerRound;
  double evPer100;
  double sdPerRound;
  double se;
  double seByCount;
  std::optional<double> riskOfRuin;
  double n0;
  double di;
  double score;
};

RampFigures rampFigures(const StudyTally& tally, const CountWeights& ramp,
                        std::optional<double> bankroll, bool tallied);

// Several hands a round (StudyTally::hands), played at stakes w_c a hand (one
// unit for the flat bet): with N rounds, H_c hands, S_c and Q_c the rounds'
// payoff sums and squares and P_c the hands' own squares at count c,
//   averageHands = Σ H_c / N
//   averageStake = Σ w_c·H_c / N, the units on the table a round
//   perHand      = Σ w_c·S_c / Σ w_c·H_c, the win per unit staked
//   variance     = Σ w_c²·Q_c / N − (Σ w_c·S_c / N)², a round's, all its hands
//   covariance   = Σ w_c²·(Q_c − P_c) / N, the mean of the hands' cross
//                  products x_i·x_j (i ≠ j) a round: what their covariance adds
//                  to the hands' own variances, to within the square of the
//                  mean, small beside both
// NaN without rounds.
struct SpotFigures {
  double averageHands;
  double averageStake;
  double perHand;
  double variance;
  double covariance;
};

SpotFigures spotFigures(const StudyTally& tally, const CountWeights& stakes);

// A series over an hour of R rounds, the hour's rounds taken as independent
// draws of the series (as counters' hourly figures are quoted):
//   win     = R·mean, with winSe = R·se, the mean's error scaled alike
//   sd      = sqrt(R)·sd
//   n0Hours = sd² / (mean²·R), the hours after which the expected win equals
//             one SD; infinite when mean = 0
struct HourlyFigures {
  double roundsPerHour;
  double win;
  double winSe;
  double sd;
  double n0Hours;
};

HourlyFigures hourlyFigures(double mean, double se, double sd, double roundsPerHour);
