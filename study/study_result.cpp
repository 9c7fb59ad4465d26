#include "study/study_result.h"

BlockSet StudyResult::target() const {
  const ShardSpec all;
  const ShardSpec spec = shard.value_or(all);
  return BlockSet::shard(config.blockCount(), spec.shard, spec.shards);
}

std::uint64_t StudyResult::roundsPlayed() const {
  std::uint64_t rounds = 0;
  for (const BlockSet::Range range : blocks.ranges()) {
    for (std::uint64_t block = range.first; block <= range.last; ++block) {
      rounds += config.roundsInBlock(block);
    }
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
