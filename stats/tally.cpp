#include "stats/tally.h"

namespace {

// A block's series x = w(c)·payoff: its rounds, Σx = Σ_c w_c·S_c and
// Σx² = Σ_c w_c²·Q_c.
struct BlockSums {
  Int128 rounds = 0;
  Int128 sum = 0;
  Int128 squares = 0;
};

BlockSums weightedSums(const BlockTally& block, const CountWeights& stakes) {
  BlockSums sums;
  for (std::size_t slot = 0; slot < stakes.size(); ++slot) {
    const Int128 stake = stakes[slot];
    sums.rounds += block.rounds[slot];
    sums.sum += stake * block.payoffs[slot];
    sums.squares += stake * stake * block.payoffSquares[slot];
  }
  return sums;
}

void addWeightedBlock(SeriesTally& series, const BlockTally& block, const CountWeights& stakes) {
  const BlockSums sums = weightedSums(block, stakes);
  series.addBlock(sums.rounds, sums.sum, sums.squares);
}

void addWeightedBlocks(CrossSums& cross, const BlockTally& a, const CountWeights& stakesA,
                       const BlockTally& b, const CountWeights& stakesB) {
  const BlockSums sumsA = weightedSums(a, stakesA);
  const BlockSums sumsB = weightedSums(b, stakesB);
  cross.addBlock(sumsA.rounds, sumsA.sum, sumsB.rounds, sumsB.sum);
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
    hands[slot] += block.hands[slot];
    handSquares[slot] += block.handSquares[slot];
    rounds += block.rounds[slot];
    sum += block.payoffs[slot];
    squares += block.payoffSquares[slot];
  }
  all.addBlock(rounds, sum, squares);
  addWeightedBlock(weighted, block, weightedStakes);
  if (rampStakes != nullptr) {
    addWeightedBlock(ramp, block, *rampStakes);
  }
  ++blocks;
}

StudyTally& StudyTally::operator+=(const StudyTally& other) {
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    counts[slot] += other.counts[slot];
    hands[slot] += other.hands[slot];
    handSquares[slot] += other.handSquares[slot];
  }
  all += other.all;
  weighted += other.weighted;
  ramp += other.ramp;
  blocks += other.blocks;
  return *this;
}

void CrossSums::addBlock(Int128 n, Int128 s, Int128 m, Int128 t) {
  roundsRounds += n * m;
  roundsSum += n * t;
  sumRounds += s * m;
  sumSum += s * t;
}

CrossSums& CrossSums::operator+=(const CrossSums& other) {
  roundsRounds += other.roundsRounds;
  roundsSum += other.roundsSum;
  sumRounds += other.sumRounds;
  sumSum += other.sumSum;
  return *this;
}

void CrossTally::addBlock(const BlockTally& a, const BlockTally& b,
                          const CountWeights& weightedStakes, const CountWeights* rampA,
                          const CountWeights* rampB) {
  Int128 roundsA = 0;
  Int128 sumA = 0;
  Int128 roundsB = 0;
  Int128 sumB = 0;
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    counts[slot].addBlock(a.rounds[slot], a.payoffs[slot], b.rounds[slot], b.payoffs[slot]);
    roundsA += a.rounds[slot];
    sumA += a.payoffs[slot];
    roundsB += b.rounds[slot];
    sumB += b.payoffs[slot];
  }
  all.addBlock(roundsA, sumA, roundsB, sumB);
  addWeightedBlocks(weighted, a, weightedStakes, b, weightedStakes);
  if (rampA != nullptr && rampB != nullptr) {
    addWeightedBlocks(ramp, a, *rampA, b, *rampB);
  }
}

CrossTally& CrossTally::operator+=(const CrossTally& other) {
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    counts[slot] += other.counts[slot];
  }
  all += other.all;
  weighted += other.weighted;
  ramp += other.ramp;
  return *this;
}
