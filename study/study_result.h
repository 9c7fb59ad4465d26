#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "stats/tally.h"
#include "study/block_play.h"
#include "study/block_set.h"
#include "study/study_config.h"
#include "study/text_values.h"

// Which blocks a run was asked to play: all of them, or the blocks b with
// b mod shards == shard.
struct ShardSpec {
  std::uint64_t shard = 0;
  std::uint64_t shards = 1;
  bool operator==(const ShardSpec&) const = default;
};

// "K/N", whole numbers 0 <= K < N <= StudyConfig::kMaxBlocks.
Parsed<ShardSpec> parseShard(std::string_view text);
std::string shardText(ShardSpec shard);

// The other side of a comparison: the study's settings with a few changed,
// played over the same blocks, each block dealt to both sides from the same
// shoe, and the cross sums that pair the two sides block by block.
struct Variant {
  StudyConfig config;
  StudyTally tally;
  EventCounts events;
  CrossTally cross;
};

// A study as far as it has been played: its definition, the blocks it holds
// and their exact tallies. Everything else is derived from these. A
// comparison is a study with a variant.
struct StudyResult {
  StudyConfig config;
  // The blocks this result is meant to hold once complete; none for the whole
  // study, as after a merge of different shards.
  std::optional<ShardSpec> shard;
  // The blocks held, by their position in the shard: block K + i·N of shard
  // K/N is at position i, so a shard played in order is one range.
  BlockSet blocks;
  StudyTally tally;
  EventCounts events;
  // Wall-clock seconds of the runs that made it, summed.
  double seconds = 0.0;
  std::optional<Variant> variant;
  // Why no block may join those held, when a file's blocks were played by a
  // built-in rule that has changed since: new blocks would play another study.
  std::optional<std::string> closed;

  // The block at a position of the shard, and the position of a block (none
  // when the block is not the shard's).
  std::uint64_t blockAt(std::uint64_t position) const;
  std::optional<std::uint64_t> positionOf(std::uint64_t block) const;
  // The positions of every block the result is meant to hold.
  BlockSet target() const;
  bool complete() const { return blocks == target(); }
  // The blocks held, by their number in the study.
  BlockSet studyBlocks() const;
  std::uint64_t roundsPlayed() const;
  // The rounds of the blocks the result is meant to hold.
  std::uint64_t targetRounds() const;
};

// The variant of a comparison as a study of its own: its settings, tallies
// and events over the comparison's blocks.
StudyResult variantSide(const StudyResult& comparison);

// The same result with no block played: settings, shard and variant settings.
StudyResult unplayed(const StudyResult& result);

// Adds the tallies and events of `other`, played over other blocks of the
// same study or comparison, to those of `into`.
void addTallies(StudyResult& into, const StudyResult& other);

// Adds `other` to `into`: same configuration and seed, the same variant if
// any, disjoint blocks. Returns the reason when they cannot be merged,
// leaving `into` unchanged.
std::optional<std::string> mergeInto(StudyResult& into, const StudyResult& other);
