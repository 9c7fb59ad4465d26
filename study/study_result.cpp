#include "study/study_result.h"

BlockSet StudyResult::target() const {
  const ShardSpec all;
  const ShardSpec selected = shard.value_or(all);
  return BlockSet::shard(config.blockCount(), selected.shard, selected.shards);
}

std::uint64_t StudyResult::roundsPlayed() const {
  // Every block is full but the study's last one.
  const std::uint64_t lastBlock = config.blockCount() - 1;
  std::uint64_t rounds = 0;
  for (const BlockSet::Range range : blocks.ranges()) {
    rounds += (range.last - range.first + 1) * config.blockSize;
    if (range.last == lastBlock) {
      rounds -= config.blockSize - config.roundsInBlock(lastBlock);
    }
  }
  return rounds;
}

std::uint64_t StudyResult::targetRounds() const {
  const ShardSpec selected = shard.value_or(ShardSpec{});
  const std::uint64_t count = config.blockCount();
  if (selected.shard >= count) {
    return 0;
  }
  const std::uint64_t blocksInShard = (count - 1 - selected.shard) / selected.shards + 1;
  std::uint64_t rounds = blocksInShard * config.blockSize;
  if ((count - 1) % selected.shards == selected.shard) {
    rounds -= config.blockSize - config.roundsInBlock(count - 1);
  }
  return rounds;
}

std::optional<std::string> mergeInto(StudyResult& into, const StudyResult& other) {
  const std::string difference = into.config.firstDifference(other.config);
  if (!difference.empty()) {
    return "the studies differ in their " + difference;
  }
  if (into.blocks.overlaps(other.blocks)) {
    return "the studies share blocks, which would be counted twice";
  }
  if (into.shard != other.shard) {
    into.shard.reset();
  }
  into.blocks.add(other.blocks);
  into.tally += other.tally;
  into.events += other.events;
  into.seconds += other.seconds;
  return std::nullopt;
}
