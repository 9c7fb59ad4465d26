#include "study/study_result.h"

#include "study/settings.h"

Parsed<ShardSpec> parseShard(std::string_view text) {
  const std::string expected =
      "expected K/N with whole numbers 0 <= K < N <= " + std::to_string(StudyConfig::kMaxBlocks) +
      ", such as 0/3 (the blocks b with b mod N = K)";
  const auto slash = text.find('/');
  const auto most = static_cast<std::int64_t>(StudyConfig::kMaxBlocks);
  if (slash == std::string_view::npos) {
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

std::uint64_t StudyResult::blockAt(std::uint64_t position) const {
  const ShardSpec selected = shard.value_or(ShardSpec{});
  return selected.shard + position * selected.shards;
}

std::optional<std::uint64_t> StudyResult::positionOf(std::uint64_t block) const {
  const ShardSpec selected = shard.value_or(ShardSpec{});
  if (block < selected.shard || (block - selected.shard) % selected.shards != 0) {
    return std::nullopt;
  }
  return (block - selected.shard) / selected.shards;
}

BlockSet StudyResult::target() const {
  const ShardSpec selected = shard.value_or(ShardSpec{});
  const std::uint64_t count = config.blockCount();
  if (selected.shard >= count) {
    return {};
  }
  return BlockSet::of({0, (count - 1 - selected.shard) / selected.shards});
}

BlockSet StudyResult::studyBlocks() const {
  if (shard.value_or(ShardSpec{}).shards == 1) {
    return blocks;
  }
  BlockSet numbered;
  for (const BlockSet::Range range : blocks.ranges()) {
    for (std::uint64_t position = range.first; position <= range.last; ++position) {
      numbered.append(blockAt(position));
    }
  }
  return numbered;
}

std::uint64_t StudyResult::roundsPlayed() const {
  // Every block is full but the study's last one.
  const std::uint64_t lastBlock = config.blockCount() - 1;
  std::uint64_t rounds = blocks.size() * config.blockSize;
  const auto last = positionOf(lastBlock);
  if (last && blocks.contains(*last)) {
    rounds -= config.blockSize - config.roundsInBlock(lastBlock);
  }
  return rounds;
}

std::uint64_t StudyResult::targetRounds() const {
  const std::uint64_t lastBlock = config.blockCount() - 1;
  std::uint64_t rounds = target().size() * config.blockSize;
  if (positionOf(lastBlock)) {
    rounds -= config.blockSize - config.roundsInBlock(lastBlock);
  }
  return rounds;
}

StudyResult variantSide(const StudyResult& comparison) {
  StudyResult side;
  side.config = comparison.variant->config;
  side.shard = comparison.shard;
  side.blocks = comparison.blocks;
  side.tally = comparison.variant->tally;
  side.events = comparison.variant->events;
  side.seconds = comparison.seconds;
  return side;
}

StudyResult unplayed(const StudyResult& result) {
  StudyResult blank;
  blank.config = result.config;
  blank.shard = result.shard;
  if (result.variant) {
    blank.variant = Variant{result.variant->config, {}, {}, {}};
  }
  return blank;
}

void addTallies(StudyResult& into, const StudyResult& other) {
  into.tally += other.tally;
  into.events += other.events;
  if (into.variant) {
    into.variant->tally += other.variant->tally;
    into.variant->events += other.variant->events;
    into.variant->cross += other.variant->cross;
  }
}

std::optional<std::string> mergeInto(StudyResult& into, const StudyResult& other) {
  if (into.variant.has_value() != other.variant.has_value()) {
    return std::string("one is a comparison, the other a study");
  }
  if (const auto difference = firstDifference(into.config, other.config)) {
    return "the studies differ in " + *difference;
  }
  if (into.variant) {
    if (const auto difference = firstDifference(into.variant->config, other.variant->config)) {
      return "the variants differ in " + *difference;
    }
  }
  // Results of one shard join by position; of different shards, by number.
  const bool sameShard = into.shard == other.shard;
  const BlockSet mine = sameShard ? into.blocks : into.studyBlocks();
  const BlockSet theirs = sameShard ? other.blocks : other.studyBlocks();
  if (mine.overlaps(theirs)) {
    return "the studies share blocks, which would be counted twice";
  }
  if (!sameShard) {
    into.shard.reset();
  }
  into.blocks = mine.joined(theirs);
  addTallies(into, other);
  into.seconds += other.seconds;
  return std::nullopt;
}
