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

// A study as far as it has been played: its definition, the blocks it holds
// and their exact tallies. Everything else is derived from these.
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

// Adds `other` to `into`: same configuration and seed, disjoint blocks.
// Returns the reason when they cannot be merged, leaving `into` unchanged.
std::optional<std::string> mergeInto(StudyResult& into, const StudyResult& other);
