#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "stats/exact.h"
#include "stats/figures.h"
#include "stats/ramp.h"
#include "stats/tally.h"
#include "stats/trip_figures.h"
#include "tests/support.h"

namespace {

using Blocks = std::vector<std::vector<std::pair<int, int>>>;  // per block: count, half stakes
// Payoff units in half a stake.
constexpr int kHalf = kPayoffUnitsPerStake / 2;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const CountWeights kFlat = Ramp{}.weights();
// truecount's stakes at the counts of the hand-made blocks: 2·c above 0, else 1.
const CountWeights kTruecount = std::get<Ramp>(parseRamp("-60:1,1:2,2:4,7:14")).weights();
// Count 2 sits out the third block, which still counts in its cluster estimate.
const Blocks kHandMade = {{{0, 2}, {0, -2}, {0, 3}, {2, 2}, {2, 2}},
                          {{0, -2}, {0, 0}, {2, -4}},
                          {{-1, 4}, {0, 1}, {7, 1}}};

BlockTally blockOf(const std::vector<std::pair<int, int>>& rounds) {
  BlockTally block;
  for (const auto& [count, halves] : rounds)
    block.record(count, kHalf * halves);
  return block;
}

StudyTally tallyOf(const Blocks& blocks, const CountWeights* ramp = nullptr) {
  StudyTally tally;
  for (const auto& rounds : blocks)
    tally.addBlock(blockOf(rounds), truecountWeights(), ramp);
  return tally;
}

// Each block's rounds at `only` (all rounds when none), each worth stake(count)·payoff.
std::vector<std::vector<double>> valuesOf(const Blocks& blocks, std::optional<int> only,
                                          const CountWeights& stake) {
  std::vector<std::vector<double>> values;
  for (const auto& rounds : blocks) {
    auto& block = values.emplace_back();
    for (const auto& [count, halves] : rounds)
      if (!only || count == *only)
        block.push_back(static_cast<double>(stake[countSlot(count)]) * halves / 2);
  }
  return values;
}

// The figures from their definitions, in two passes over the rounds.
Estimate reference(const Blocks& blocks, std::optional<int> only, const CountWeights& stake) {
  const auto values = valuesOf(blocks, only, stake);
  double n = 0, sum = 0;
  for (const auto& block : values) {
    n += static_cast<double>(block.size());
    sum += std::accumulate(block.begin(), block.end(), 0.0);
  }
  const double mean = sum / n;
  double squares = 0, cluster = 0;  // Σ (x − mean)², and Σ_b (S_b − mean·n_b)²
  for (const auto& block : values) {
    double residual = 0;
    for (const double x : block) {
      squares += (x - mean) * (x - mean);
      residual += x - mean;
    }
    cluster += residual * residual;
  }
  const double sd = std::sqrt(squares / (n - 1));
  const auto b = static_cast<double>(values.size());
  const double se = std::sqrt(b / (b - 1) * cluster) / n;
  return {0, mean, sd, se, sd / std::sqrt(n), mean - kZ95 * se, mean + kZ95 * se, true};
}

// Both sides of a comparison from their blocks, which must be as many.
struct Pair {
  StudyTally study;
  StudyTally variant;
  CrossTally cross;
};

Pair pairOf(const Blocks& a, const Blocks& b) {
  Pair pair{tallyOf(a), tallyOf(b), {}};
  for (std::size_t i = 0; i < a.size(); ++i)
    pair.cross.addBlock(blockOf(a[i]), blockOf(b[i]), truecountWeights(), nullptr, nullptr);
  return pair;
}

// Equal within `tolerance`, or both NaN, or the same infinity.
void expectSame(double got, double want, double tolerance = 1e-12) {
  EXPECT_TRUE(got == want || std::abs(got - want) <= tolerance ||
              (std::isnan(got) && std::isnan(want)))
      << got << " instead of " << want;
}

// The series the figures are checked on: all rounds flat, counts 0 and 2,
// and all rounds at truecount's stakes.
const struct Series {
  std::optional<int> count;
  bool weighted;
} kSeries[] = {{std::nullopt, false}, {0, false}, {2, false}, {std::nullopt, true}};

template <typename Tally>
const auto& seriesOf(const Tally& tally, const Series& series) {
  return series.weighted ? tally.weighted
                         : (series.count ? tally.counts[countSlot(*series.count)] : tally.all);
}

const CountWeights& stakeOf(const Series& series) {
  return series.weighted ? kTruecount : kFlat;
}

}  // namespace

TEST(Estimate, HandValuesAndDegenerateTallies) {
  // The blocks, then the mean, sd and se, and whether clustered.
  const std::tuple<Blocks, double, double, double, bool> cases[] = {
      {{{{0, 2}, {3, 2}}, {{-5, 2}}}, 1.0, 0.0, 0.0, true},
      {{{{0, 3}}, {}}, 1.5, kNaN, kNaN, false},
      {{{}, {}}, kNaN, kNaN, kNaN, false},
  };
  for (const auto& [blocks, mean, sd, se, clustered] : cases) {
    const StudyTally tally = tallyOf(blocks);
    const Estimate e = estimate(tally.all, tally.blocks, 2);
    for (const auto& [got, want] :
         {std::pair{e.mean, mean}, {e.sd, sd}, {e.se, se}, {e.ciLow, mean - kZ95 * se}})
      expectSame(got, want);
    EXPECT_EQ(e.clustered, clustered) << mean;
  }
}

TEST(StudyTally, MergesBitExactInAnyOrderAndSplit) {
  std::mt19937_64 gen(7);
  Blocks blocks(6);
  for (auto& block : blocks)
    for (int i = 0; i < 300; ++i)
      block.emplace_back(static_cast<int>(gen() % 13) - 6, static_cast<int>(gen() % 9) - 4);
  blocks[1].emplace_back(60, 3);  // the extreme slots
  blocks[4].emplace_back(-60, -1);
  const StudyTally whole = tallyOf(blocks, &kFlat);
  StudyTally split = tallyOf({blocks.begin() + 2, blocks.end()}, &kFlat);
  split += tallyOf({blocks.begin(), blocks.begin() + 2}, &kFlat);
  EXPECT_EQ(split, whole);
  EXPECT_EQ(tallyOf({blocks.rbegin(), blocks.rend()}, &kFlat), whole);
  EXPECT_TRUE(whole.blocks == 6 && whole.all.rounds == 6 * 300 + 2);
  EXPECT_EQ(whole.ramp, whole.all);  // one unit everywhere is the plain series

  const CountWeights stakes = truecountWeights();
  EXPECT_EQ(tallyOf(blocks, &stakes).ramp, whole.weighted);

  blocks[2].emplace_back(61, 5);  // no slot: never booked
  blocks[3].emplace_back(-61, 5);
  EXPECT_EQ(tallyOf(blocks, &kFlat), whole);
}

TEST(SeriesTally, StaysExactPastTwoToThe63) {
  // Two blocks of n = 2^k rounds of ±2 half units, averaging −1 and 0: N = 2n,
  // S = −n, Q = 8n, so sd² = 15n / (2(2n − 1)) half units²; residuals ∓n/2
  // give se² = 2/1 · (n²/2) / (2n)² = 1/4. Past k = 30 the exact cluster
  // terms no longer fit in 128 bits.
  for (const int k : {4, 30, 31, 45}) {
    const Int128 n = Int128{1} << k;
    SeriesTally series;
    series.addBlock(n, -kHalf * n, kHalf * kHalf * 4 * n);
    series.addBlock(n, 0, kHalf * kHalf * 4 * n);
    const Estimate e = estimate(series, 2, 2);
    const auto dn = static_cast<double>(n);
    EXPECT_TRUE(e.rounds == 2 * n && e.mean == -0.25) << k;
    expectSame(e.sd, 0.5 * std::sqrt(15 * dn / (2 * (2 * dn - 1))));
    expectSame(e.se, 0.25);
  }
}

TEST(ExactDecimal, RoundTripsAndRefusesGarbage) {
  const Int128 twoTo64 = Int128{1} << 64;
  const std::pair<const char*, Int128> good[] = {
      {"0", 0},
      {"18446744073709551616", twoTo64},
      {"-18446744073709551617", -twoTo64 - 1},
      {"170141183460469231731687303715884105727", kInt128Max},
      {"-170141183460469231731687303715884105728", kInt128Min}};
  for (const auto& [text, value] : good) {
    EXPECT_EQ(toDecimal(value), text);
    EXPECT_TRUE(parseDecimal(text) == value) << text;
  }
  for (const char* bad : {"1.0", "170141183460469231731687303715884105728",
                          "-170141183460469231731687303715884105729"})
    EXPECT_FALSE(parseDecimal(bad)) << bad;
}

TEST(Ramp, ParsesStepsAndFillsEveryCount) {
  // The text, its canonical form, and stakes at some counts.
  const std::tuple<const char*, const char*, std::vector<std::pair<int, std::int64_t>>> cases[] = {
      {"-60:1,1:2,4:12", "-60:1,1:2,4:12", {{-60, 1}, {0, 1}, {1, 2}, {3, 2}, {4, 12}, {60, 12}}},
      {" -2 : 3 ,\t+3:5 ", "-2:3,3:5", {{-60, 3}, {-3, 3}, {-2, 3}, {2, 3}, {3, 5}, {60, 5}}},
      {"60:100000", "60:100000", {{-60, 100000}, {60, 100000}}},
  };
  for (const auto& [text, canonical, stakes] : cases) {
    const Ramp ramp = std::get<Ramp>(parseRamp(text));
    EXPECT_EQ(ramp.text(), canonical);
    for (const auto& [count, stake] : stakes)
      EXPECT_EQ(ramp.weights()[countSlot(count)], stake) << text << count;
  }
}

TEST(Ramp, RefusesBadTextSayingWhy) {
  const char* const stakes = "stakes must be whole units from 1 to 100000";
  const char* const counts = "counts must be whole numbers from -60 to 60";
  const std::string last = std::string("step 2 (\"2:0\"): ") + stakes;
  const std::pair<const char*, const char*> cases[] = {
      {"", "empty ramp"},       {" \t", "empty ramp"}, {"1:2,", "ramp step 2"},
      {"1:2,,3:4", "step 2"},   {"1", "COUNT:STAKE"},  {"1:2,1:3", "strictly ascending"},
      {"2:2,1:3", "ascending"}, {"61:1", counts},      {"x:1", counts},
      {"+-1:1", counts},        {"1.5:1", counts},     {"1:-1", stakes},
      {"1:+-1", stakes},        {"1:1.5", stakes},     {"1:2x", stakes},
      {"1:100001", stakes},     {"1:2:3", stakes},     {"-1:1,2:0", last.c_str()},
  };
  for (const auto& [text, message] : cases)
    EXPECT_TRUE(says(parseRamp(text), message)) << text;
}

TEST(RampFigures, FollowFromThePerCountTallies) {
  // Stake 1 at count −1 (payoffs −1, −1, 0, 1), 4 at count 2 (1, 2): bet 12/6,
  // ev (−2 + 4·6)/2/6 = 11/6, variance (12 + 16·20)/4/6 − (11/6)² = 377/36.
  const Blocks mixed = {{{-1, -2}, {2, 2}, {-1, 0}}, {{-1, -2}, {2, 4}, {-1, 2}}};
  const double m = 11.0 / 6, variance = 377.0 / 36, s = std::sqrt(variance);
  // The blocks, the ramp, the bankroll, then the average bet, the ev and sd
  // per round, the risk of ruin (−1: none) and N0.
  using Case = std::tuple<Blocks, const char*, std::optional<double>, double, double, double,
                          double, double>;
  const Case cases[] = {
      {mixed, "-60:1,2:4", 100.0, 2.0, m, s, std::exp(-2 * m * 100 / variance), variance / m / m},
      {{{{0, -2}}, {{0, -2}}}, "0:3", 50.0, 3.0, -3.0, 0.0, 1.0, 0.0},
      {{{{5, 2}}, {{5, -2}}}, "-60:1,5:2", std::nullopt, 2.0, 0.0, 2.0, -1, kInf},
  };
  for (const auto& [blocks, ramp, bankroll, bet, ev, sd, riskOfRuin, n0] : cases) {
    const CountWeights stakes = std::get<Ramp>(parseRamp(ramp)).weights();
    const StudyTally tally = tallyOf(blocks, &stakes);
    const RampFigures f = rampFigures(tally, stakes, bankroll, true);
    // Two blocks are too few for a cluster estimate: the ramp's se is the naive one.
    const double got[] = {f.averageBet, f.evPerRound, f.evPer100, f.sdPerRound, f.se, f.n0, f.di};
    const double naive = reference(blocks, std::nullopt, stakes).seNaive;
    const double want[] = {bet, ev, 100 * ev, sd, naive, n0, sd == 0 ? kNaN : 1000 * ev / sd};
    for (std::size_t k = 0; k < std::size(got); ++k)
      expectSame(got[k], want[k]);
    expectSame(f.riskOfRuin.value_or(-1), riskOfRuin, 1e-15);
    expectSame(f.score, ev > 0 ? 1e6 * ev * ev / (sd * sd) : 0.0, 1e-9);
    EXPECT_TRUE(std::isnan(rampFigures(tally, stakes, bankroll, false).se));
    // The counts' own errors, as if independent: each weighs stake × share.
    double byCount = 0;
    for (int count = kLowestCount; count <= kHighestCount; ++count) {
      const double n = static_cast<double>(tally.counts[countSlot(count)].rounds);
      if (n > 1) {
        const double weight = static_cast<double>(stakes[countSlot(count)]) * n /
                              static_cast<double>(tally.all.rounds);
        const double se = reference(blocks, count, kFlat).seNaive;
        byCount += weight * weight * se * se;
      }
    }
    expectSame(f.seByCount, std::sqrt(byCount));
  }
}

// Each side's figures, and their paired difference, from their definitions
// (the paired error's is checked through the program, tests/test_lab_files.py).
// The variant moves some rounds to other counts and changes some payoffs, as
// a strategy dealt the same shoe would.
TEST(Difference, PairsTheSidesBlockByBlock) {
  const Blocks variant = {{{0, 2}, {0, -2}, {0, 1}, {2, 3}, {1, 2}},
                          {{0, -2}, {0, 2}, {2, -4}, {2, 2}},
                          {{-1, 4}, {0, -1}, {7, 1}}};
  const Pair pair = pairOf(kHandMade, variant);
  for (const Series& c : kSeries) {
    const Difference d = difference(seriesOf(pair.study, c), seriesOf(pair.variant, c),
                                    seriesOf(pair.cross, c), 3, 2);
    const Estimate a = reference(kHandMade, c.count, stakeOf(c));
    const Estimate b = reference(variant, c.count, stakeOf(c));
    const Estimate study = estimate(seriesOf(pair.study, c), pair.study.blocks, 2);
    for (const auto figure : {&Estimate::mean, &Estimate::sd, &Estimate::se, &Estimate::seNaive,
                              &Estimate::ciLow, &Estimate::ciHigh})
      expectSame(study.*figure, a.*figure);
    // Rounds in fewer blocks than asked for: the independent-rounds figure.
    const Estimate few = estimate(seriesOf(pair.study, c), pair.study.blocks, 4);
    EXPECT_FALSE(few.clustered);
    expectSame(few.se, a.seNaive);
    EXPECT_TRUE(study.clustered && d.clustered);
    expectSame(d.studyMean, a.mean);
    expectSame(d.variantMean, b.mean);
    expectSame(d.mean, b.mean - a.mean);
    expectSame(d.seUnpaired, std::sqrt(a.se * a.se + b.se * b.se));
    expectSame(d.ciHigh, d.mean + kZ95 * d.se);
    // Too few blocks for a cluster estimate: each side's independent-rounds figure.
    const Difference naive = difference(seriesOf(pair.study, c), seriesOf(pair.variant, c),
                                        seriesOf(pair.cross, c), 3, 4);
    EXPECT_FALSE(naive.clustered);
    expectSame(naive.se, std::sqrt(a.seNaive * a.seNaive + b.seNaive * b.seNaive));
  }
  // A variant that plays every block as the study: no difference and no error,
  // however noisy the sides; a side without rounds gives no figure.
  const Pair same = pairOf(kHandMade, kHandMade);
  const Difference none = difference(same.study.all, same.variant.all, same.cross.all, 3, 2);
  EXPECT_TRUE(none.mean == 0 && none.se == 0 && none.seUnpaired > 0);
  EXPECT_TRUE(std::isnan(
      difference(same.study.counts[countSlot(5)], same.variant.all, same.cross.all, 3, 2).mean));
}

// The spread's bounds, the fraction's product with the bankroll and a least
// share no count reaches are checked through the program
// (tests/test_lab_settings.py); here the rounding, counts passed over and pooling.
TEST(KellyRamp, StakesFollowTheEdgeOverTheSecondMoment) {
  // Per count, in stakes: −1 loses one; 1: ½, −½, ½, ½ (mean ¼, E[x²] ¼: the
  // Kelly stake is the bankroll); 2: four rounds of 2 (mean 2, E[x²] 4: half
  // the bankroll); 3: two pushes; 5: ½, ½, −½ (mean ⅙, E[x²] ¼: two thirds).
  const Blocks blocks = {{{-1, -2}, {1, 1}, {1, -1}, {2, 4}, {2, 4}, {3, 0}, {5, 1}},
                         {{1, 1}, {1, 1}, {2, 4}, {2, 4}, {3, 0}, {5, 1}, {5, -1}}};
  const StudyTally tally = tallyOf(blocks);
  const std::pair<KellySizing, const char*> cases[] = {
      {{{1, 100}, 10.0, 1.0, 1, true}, "-60:1,1:10,2:5,3:1,5:7"},
      // 2.5 rounds up, 3.33 down.
      {{{1, 100}, 10.0, 0.5, 1, true}, "-60:1,1:5,2:3,3:1,5:3"},
      // Counts −1, 3 and 5 passed over: those below count 1 bet as it does.
      {{{1, 100}, 10.0, 0.75, 4, true}, "-60:8,2:4"},
      // A ramp that may not fall pools 1 with 2 and 3: ΣS/ΣQ = 9/17 of the
      // bankroll, 5.29; 5 stays above.
      {{{1, 100}, 10.0, 1.0, 1}, "-60:1,1:5,5:7"},
      {{{1, 100}, 10.0, 0.75, 4}, "-60:4"},
  };
  for (const auto& [sizing, ramp] : cases)
    EXPECT_EQ(kellyRamp(tally, sizing).text(), ramp);
  EXPECT_EQ(kellyStake(tally.counts[countSlot(3)], {{1, 100}, 40.0, 1.0, 1}), 0.0);
  EXPECT_EQ(kellyRamp(StudyTally{}, {{4, 9}, 10.0, 1.0, 1}).text(), "-60:4");
}

// Both forms of a spread are read through the program (tests/test_lab_settings.py).
TEST(Spread, ReadsWholeUnitsInOrder) {
  EXPECT_TRUE(std::holds_alternative<Spread>(parseSpread("100000:100000")));
  for (const char* bad : {"", "1", "1:", ":2", "0:5", "5:4", "1:100001", "-1:2", "1.5:2", "1:2:3",
                          " 1:2", "1-2-3", "1:-2", "2--12"})
    EXPECT_TRUE(std::holds_alternative<std::string>(parseSpread(bad))) << bad;
}

// A trip's figures against their closed forms: the Wilson interval at none,
// half and all of ten; quantiles between order statistics; the diffusion's
// ruin without drift, 2Φ(−B/(σ√T)) by reflection, with drift and no end,
// exp(−2µB/σ²), and without variance, certain or impossible.
TEST(TripFigures, FollowTheirClosedForms) {
  const double z2 = kZ95 * kZ95;
  const Proportion none = wilsonInterval(0, 10), half = wilsonInterval(5, 10);
  for (const auto& [got, want] :
       {std::pair{none.low, 0.0},
        {none.high, z2 / (10 + z2)},
        {wilsonInterval(10, 10).low, 10 / (10 + z2)},
        {half.low + half.high, 1.0},
        {half.high - 0.5, kZ95 * std::sqrt(0.025 + z2 / 400) / (1 + z2 / 10)}})
    EXPECT_NEAR(got, want, 1e-15);
  const std::vector<double> sorted{1, 2, 3, 5};
  EXPECT_EQ((std::vector{percentile(sorted, 0), percentile(sorted, 0.5), percentile(sorted, 0.75),
                         percentile(sorted, 1)}),
            (std::vector<double>{1, 2.5, 3.5, 5}));
  EXPECT_TRUE(std::isnan(percentile({}, 0.5)));
  EXPECT_NEAR(diffusionRuin(10, 0, 1, 100), std::erfc(1 / std::sqrt(2.0)), 1e-12);
  EXPECT_NEAR(diffusionRuin(100, 0.01, 1, 1e12), std::exp(-2.0), 1e-9);
  EXPECT_EQ(std::pair(diffusionRuin(5, -1, 0, 5), diffusionRuin(5, -1, 0, 4)), std::pair(1.0, 0.0));
}
