#include "study/study_result.h"

#include "study/settings.h"

Parsed<ShardSpec> parseShard(std::string_view text) {
  const std::string expected =
      "expected K/N with whole numbers 0 <= K < N <= " + std::to_string(StudyConfig::kMaxBlocks) +
      ", such as 0/3 (the blocks b with b mod N = K)";
  const auto slash = text.find('/');
  const auto most = static_cast<std::int64_t>(StudyConfig::kMaxBlocks);
  if (slash == std::string_view::npos || text.substr(0, 1) == "-" ||
      text.substr(slash + 1, 1) == "-") {
    return expected;
  }
  const auto shard = parseWhole(text.substr(0, slash), 0, most - 1);
  const auto shards = parseWhole(text.substr(slash + 1), 1, most);
  if (shard.index() != 0 || shards.index() != 0 || std::get<0>(shard) >= std::get<0>(shards)) {
    return expected;
  }
  return ShardSpec{static_cast<std::uint64_t>(std::get<0>(shard)),
                   static_cast<std::uint64_t>(std::get<0>(shards))};
}

std::string shardText(ShardSpec shard) {
  return std::to_string(shard.shard) + "/" + std::to_string(shard.shards);
}

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
  if (const auto difference = firstDifference(into.config, other.config)) {
    return "the studies differ in " + *difference;
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
