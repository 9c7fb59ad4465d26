#include "stats/tally.h"

namespace {

// Adds a block's series x = w(c)·payoff to `series`: Σx = Σ_c w_c·S_c and
// Σx² = Σ_c w_c²·Q_c over the block's n rounds.
void addWeightedBlock(SeriesTally& series, const BlockTally& block, const CountWeights& stakes,
                      Int128 rounds) {
  Int128 sum = 0;
  Int128 squares = 0;
  for (std::size_t slot = 0; slot < stakes.size(); ++slot) {
    const Int128 stake = stakes[slot];
    sum += stake * block.payoffs[slot];
    squares += stake * stake * block.payoffSquares[slot];
  }
  series.addBlock(rounds, sum, squares);
}

}  // namespace

void SeriesTally::addBlock(Int128 n, Int128 s, Int128 q) {
  rounds += n;
  sum += s;
  sumSquares += q;
  blockRoundsSquared += n * n;
  blockSumSquared += s * s;
  blockRoundsSum += n * s;
  blocksWithRounds += n > 0 ? 1 : 0;
}

SeriesTally& SeriesTally::operator+=(const SeriesTally& other) {
  rounds += other.rounds;
  sum += other.sum;
  sumSquares += other.sumSquares;
  blockRoundsSquared += other.blockRoundsSquared;
  blockSumSquared += other.blockSumSquared;
  blockRoundsSum += other.blockRoundsSum;
  blocksWithRounds += other.blocksWithRounds;
  return *this;
}

CountWeights truecountWeights() {
  CountWeights stakes{};
  for (int count = kLowestCount; count <= kHighestCount; ++count) {
    stakes[countSlot(count)] = count > 0 ? 2 * count : 1;
  }
  return stakes;
}

void StudyTally::addBlock(const BlockTally& block, const CountWeights& weightedStakes,
                          const CountWeights* rampStakes) {
  Int128 rounds = 0;
  Int128 sum = 0;
  Int128 squares = 0;
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    counts[slot].addBlock(block.rounds[slot], block.payoffs[slot], block.payoffSquares[slot]);
    rounds += block.rounds[slot];
    sum += block.payoffs[slot];
    squares += block.payoffSquares[slot];
  }
  all.addBlock(rounds, sum, squares);
  addWeightedBlock(weighted, block, weightedStakes, rounds);
  if (rampStakes != nullptr) {
    addWeightedBlock(ramp, block, *rampStakes, rounds);
  }
  ++blocks;
}

StudyTally& StudyTally::operator+=(const StudyTally& other) {
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    counts[slot] += other.counts[slot];
  }
  all += other.all;
  weighted += other.weighted;
  ramp += other.ramp;
  blocks += other.blocks;
  return *this;
}
