#include "study/study_check.h"

#include "study/settings.h"

namespace {

// a·b ≤ c·d for non-negative values whose products may pass 128 bits.
bool productAtMost(UInt128 a, UInt128 b, UInt128 c, UInt128 d) {
  const auto wide = [](UInt128 x, UInt128 y) {
    constexpr UInt128 kLow = ~std::uint64_t{0};
    const UInt128 lowLow = (x & kLow) * (y & kLow);
    const UInt128 middle1 = (x >> 64) * (y & kLow);
    const UInt128 middle2 = (x & kLow) * (y >> 64);
    const UInt128 middle = (lowLow >> 64) + (middle1 & kLow) + (middle2 & kLow);
    const UInt128 high = (x >> 64) * (y >> 64) + (middle1 >> 64) + (middle2 >> 64) + (middle >> 64);
    return std::pair{high, (middle << 64) | (lowLow & kLow)};
  };
  return wide(a, b) <= wide(c, d);
}

bool within(Int128 value, Int128 bound) {
  return -bound <= value && value <= bound;
}

bool odd(Int128 value) {
  return (value & 1) != 0;
}

// Whether a series could come from play: n rounds, each worth at most `most`
// units, over `blocks` blocks of at most `blockSize` rounds. x² has the parity
// of x, so Σx² that of Σx, and Σ_b S_b² that of Σx; Σ_b n_b² that of n. The
// bounds grow linearly with n, and with n at most 10^12 they keep every
// product the figures form within 128 bits.
bool plausible(const SeriesTally& s, Int128 most, Int128 blockSize, Int128 blocks) {
  const Int128 n = s.rounds;
  return n >= 0 && n <= static_cast<Int128>(StudyConfig::kMaxRounds) && within(s.sum, n * most) &&
         s.sumSquares >= 0 && s.sumSquares <= n * most * most &&
         productAtMost(magnitude(s.sum), magnitude(s.sum), magnitude(n), magnitude(s.sumSquares)) &&
         s.blockRoundsSquared >= n && s.blockRoundsSquared <= n * blockSize &&
         s.blockSumSquared >= 0 && s.blockSumSquared <= s.sumSquares * blockSize &&
         within(s.blockRoundsSum, n * most * blockSize) && s.blocksWithRounds <= blocks &&
         s.blocksWithRounds <= n && (n == 0) == (s.blocksWithRounds == 0) &&
         odd(s.sum) == odd(s.sumSquares) && odd(s.sum) == odd(s.blockSumSquared) &&
         odd(n) == odd(s.blockRoundsSquared);
}

std::int64_t largest(const CountWeights& weights) {
  std::int64_t most = 0;
  for (const std::int64_t weight : weights) {
    most = weight > most ? weight : most;
  }
  return most;
}

// The series a stake per count makes of the counts' series: the rounds and the
// stake-weighted sums, which a weighted series must hold exactly.
SeriesTally weightedSums(const StudyTally& t, const CountWeights& stakes) {
  SeriesTally sums;
  for (std::size_t slot = 0; slot < stakes.size(); ++slot) {
    const Int128 stake = stakes[slot];
    sums.rounds += t.counts[slot].rounds;
    sums.sum += stake * t.counts[slot].sum;
    sums.sumSquares += stake * stake * t.counts[slot].sumSquares;
  }
  return sums;
}

bool sameSums(const SeriesTally& a, const SeriesTally& b) {
  return a.rounds == b.rounds && a.sum == b.sum && a.sumSquares == b.sumSquares;
}

// Σ_b n_b² over the blocks held: every block holds blockSize rounds but the
// study's last.
Int128 blockRoundsSquared(const StudyResult& r) {
  const Int128 size = r.config.blockSize;
  Int128 squares = static_cast<Int128>(r.blocks.size()) * size * size;
  const std::uint64_t last = r.config.blockCount() - 1;
  const auto position = r.positionOf(last);
  if (position && r.blocks.contains(*position)) {
    const Int128 rest = r.config.roundsInBlock(last);
    squares += rest * rest - size * size;
  }
  return squares;
}

// Whether cross sums can pair two series over the same blocks: by
// Cauchy-Schwarz, (Σ_b x_b·y_b)² ≤ Σ_b x_b²·Σ_b y_b² for each of the four
// products of rounds and sums, and the rounds' product is never negative.
bool paired(const CrossSums& c, const SeriesTally& a, const SeriesTally& b) {
  const auto bounded = [](Int128 cross, Int128 left, Int128 right) {
    return productAtMost(magnitude(cross), magnitude(cross), magnitude(left), magnitude(right));
  };
  return c.roundsRounds >= 0 &&
         bounded(c.roundsRounds, a.blockRoundsSquared, b.blockRoundsSquared) &&
         bounded(c.roundsSum, a.blockRoundsSquared, b.blockSumSquared) &&
         bounded(c.sumRounds, a.blockSumSquared, b.blockRoundsSquared) &&
         bounded(c.sumSum, a.blockSumSquared, b.blockSumSquared);
}

// A series of every round: both sides hold n_b rounds in block b, so the cross
// sums of rounds are the sides' own Σn_b², Σn_b·S_b.
bool everyRound(const CrossSums& c, const SeriesTally& a, const SeriesTally& b) {
  return c.roundsRounds == a.blockRoundsSquared && c.roundsSum == b.blockRoundsSum &&
         c.sumRounds == a.blockRoundsSum;
}

std::optional<std::string> crossProblem(const StudyResult& r) {
  const StudyTally& a = r.tally;
  const StudyTally& b = r.variant->tally;
  const CrossTally& c = r.variant->cross;
  for (std::size_t slot = 0; slot < c.counts.size(); ++slot) {
    if (!paired(c.counts[slot], a.counts[slot], b.counts[slot])) {
      return std::string("a count's cross sums cannot pair the two sides' tallies");
    }
  }
  const bool ramps = r.config.ramp && r.variant->config.ramp;
  // A wonging side books only the rounds it plays, so its rounds per block
  // are its own.
  const bool neitherWongs = r.config.wong == WongLimits{} && r.variant->config.wong == WongLimits{};
  const auto sound = [&](const CrossSums& cross, const SeriesTally& x, const SeriesTally& y) {
    return paired(cross, x, y) && (!neitherWongs || everyRound(cross, x, y));
  };
  if (!sound(c.all, a.all, b.all) || !sound(c.weighted, a.weighted, b.weighted) ||
      (ramps ? !sound(c.ramp, a.ramp, b.ramp) : c.ramp != CrossSums{})) {
    return std::string("the overall cross sums cannot pair the two sides' tallies");
  }
  return std::nullopt;
}

// Every block begins a shoe, and every shoe begins a round.
std::optional<std::string> shoesProblem(const StudyResult& r) {
  if (r.events.shoesCounted &&
      (r.events.shoes < r.blocks.size() || r.events.shoes > r.roundsPlayed())) {
    return "the " + std::to_string(r.events.shoes) + " shoes do not fit the " +
           std::to_string(r.blocks.size()) + " blocks and their rounds";
  }
  return std::nullopt;
}

// A spread round books each hand's rounds and squares: at least one hand and
// at most the rule's most a round, each squared payoff within a hand's bound
// and of the parity of the round's payoff (x² and x share it, and Σx_i that
// of Σx_i²). A study without a spot rule books none.
std::optional<std::string> handsProblem(const StudyResult& r) {
  const StudyTally& t = r.tally;
  const Int128 most = r.config.spots ? r.config.spots->most() : 0;
  for (std::size_t slot = 0; slot < t.counts.size(); ++slot) {
    const Int128 rounds = t.counts[slot].rounds;
    const Int128 hands = t.hands[slot];
    const Int128 squares = t.handSquares[slot];
    const bool sound = r.config.spots
                           ? hands >= rounds && hands <= rounds * most && squares >= 0 &&
                                 squares <= hands * kMostRoundPayoff * kMostRoundPayoff &&
                                 odd(squares) == odd(t.counts[slot].sum)
                           : hands == 0 && squares == 0;
    if (!sound) {
      return std::string("the hands' tallies do not fit the rounds and the spot rule");
    }
  }
  return std::nullopt;
}

// The shoes' and the hands' tallies.
std::optional<std::string> dealProblem(const StudyResult& r) {
  if (auto problem = shoesProblem(r)) {
    return problem;
  }
  return handsProblem(r);
}

// The most hands a round plays.
Int128 spreadOf(const StudyConfig& config) {
  return config.spots ? config.spots->most() : 1;
}

std::optional<std::string> sideProblem(const StudyResult& r) {
  const StudyTally& t = r.tally;
  // A round spread over several hands moves as much as they all can.
  const Int128 spread = spreadOf(r.config);
  const Int128 mostPayoff = kMostRoundPayoff * spread;
  if (t.blocks != r.blocks.size()) {
    return "the tallies hold " + std::to_string(t.blocks) + " blocks, the block list " +
           std::to_string(r.blocks.size());
  }
  const Int128 size = r.config.blockSize;
  const Int128 blocks = t.blocks;
  for (const SeriesTally& count : t.counts) {
    if (!plausible(count, mostPayoff, size, blocks)) {
      return std::string("a count's tallies cannot come from play");
    }
  }
  const Int128 rampStake = r.config.ramp ? largest(r.config.ramp->weights()) : 0;
  const Int128 truecountStake = largest(truecountWeights());
  if (!plausible(t.all, mostPayoff, size, blocks) ||
      !plausible(t.weighted, mostPayoff * truecountStake, size, blocks) ||
      !plausible(t.ramp, mostPayoff * rampStake, size, blocks)) {
    return std::string("the overall tallies cannot come from play");
  }
  // A wonging player's watched rounds are dealt but booked nowhere, so his
  // blocks book fewer rounds than they hold, each at most all of them.
  const bool wongs = r.config.wong != WongLimits{};
  const Int128 watched = r.events.roundsWatched;
  if (!wongs && watched != 0) {
    return std::string("only a wonging study watches rounds");
  }
  const Int128 played = r.roundsPlayed() - watched;
  const Int128 squares = wongs ? t.all.blockRoundsSquared : blockRoundsSquared(r);
  if (watched > r.roundsPlayed() || squares > blockRoundsSquared(r)) {
    return "the tallies do not hold the rounds of the " + std::to_string(r.blocks.size()) +
           " blocks listed";
  }
  if (auto problem = dealProblem(r)) {
    return problem;
  }
  Int128 countSquares = 0;
  for (const SeriesTally& count : t.counts) {
    countSquares += count.blockRoundsSquared;
  }
  const Int128 booking = wongs ? t.all.blocksWithRounds : blocks;
  if (t.all.rounds != played || t.all.blockRoundsSquared != squares ||
      t.all.blocksWithRounds != booking || booking > blocks || countSquares > squares) {
    return "the tallies do not hold the rounds of the " + std::to_string(r.blocks.size()) +
           " blocks listed";
  }
  if (!sameSums(t.all, weightedSums(t, Ramp{}.weights())) ||
      !sameSums(t.weighted, weightedSums(t, truecountWeights()))) {
    return std::string("the overall tallies are not the sums over the counts");
  }
  const bool rampSound =
      r.config.ramp ? sameSums(t.ramp, weightedSums(t, r.config.ramp->weights())) &&
                          t.ramp.blockRoundsSquared == squares && t.ramp.blocksWithRounds == booking
                    : t.ramp == SeriesTally{};
  if (!rampSound || t.weighted.blockRoundsSquared != squares ||
      t.weighted.blocksWithRounds != booking) {
    return std::string("the weighted tallies do not follow from the counts and their stakes");
  }
  // Decisions are counted in the rounds played; the table's events in every
  // round dealt, watched ones too.
  const EventCounts& e = r.events;
  const Int128 mostTableEvents = Int128{r.roundsPlayed()} * kMostRoundEvents * spread;
  if (e.decisions > played * kMostRoundEvents * spread || e.shoeExhausted > mostTableEvents ||
      e.overlongHands > mostTableEvents) {
    return std::string("the events outnumber what the rounds can count");
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> studyProblem(const StudyResult& r) {
  if (auto problem = sideProblem(r)) {
    return problem;
  }
  if (!r.variant) {
    return std::nullopt;
  }
  if (const auto problem = variantProblem(r.config, r.variant->config)) {
    return "the variant: " + *problem;
  }
  if (const auto problem = sideProblem(variantSide(r))) {
    return "the variant: " + *problem;
  }
  return crossProblem(r);
}
