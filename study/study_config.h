#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "count/count_system.h"
#include "count/true_count.h"
#include "count/wonging.h"
#include "stats/ramp.h"
#include "strategy/index_plays.h"
#include "table/game_rules.h"
#include "table/spot_rule.h"

// How the player decides.
enum class Strategy {
  Composition,  // from the undealt cards, as truecount plays
  Visible,      // from the undealt cards and the dealer's hole card
  Basic,        // fixed tables from a full shoe
};

// Everything that defines a study: its results depend on this, the seed and
// the set of blocks played, and on nothing else (threads, order, machines).
// study/settings.h describes each field: its text, range and meaning.
struct StudyConfig {
  static constexpr std::uint64_t kMaxRounds = 1'000'000'000'000;
  static constexpr std::uint64_t kMaxBlockSize = 100'000'000;
  // Blocks are the unit of sharding, resuming and the cluster error; ten
  // million of them keep a study's bookkeeping within memory and a file.
  static constexpr std::uint64_t kMaxBlocks = 10'000'000;
  static constexpr int kMaxDecks = 8;
  // Cards that must remain when the shoe is reshuffled: enough for a round.
  static constexpr int kPlayableShoe = 15;

  std::uint64_t rounds = 10'000'000;
  std::uint64_t blockSize = 100'000;
  std::uint64_t seed = 1;
  GameRules rules;
  Strategy strategy = Strategy::Composition;
  std::optional<Ramp> ramp;
  std::optional<double> bankroll;
  // The players at the table, the study's own at `seat` (1 is first base).
  int players = 1;
  int seat = 1;
  // The hands the player spreads to by the count, side by side from `seat`;
  // none for one hand a round.
  std::optional<SpotRule> spots;
  // The pace the hourly figures take; none for the published pace of the
  // table (roundsPerHour()).
  std::optional<double> hourlyRounds;
  // The count that books, bets, deviates, insures and wongs: truecount's (the
  // composition of the undealt cards), a named count, or, with the name left
  // at truecount, tags of one's own.
  std::string countName = "truecount";
  std::optional<CountSystem> countTags;
  TrueCountConversion conversion;
  // Deviations from basic strategy.
  std::optional<IndexPlays> indices;
  WongLimits wong;

  // The counting system kept, or none for truecount's count.
  std::optional<CountSystem> countSystem() const;
  // Whether `other` books its rounds by the same count, so that the two
  // studies' rows of a count hold the same situations.
  bool booksLike(const StudyConfig& other) const {
    return countSystem() == other.countSystem() && conversion == other.conversion;
  }

  // The rounds an hour the hourly figures take: the one set, or the pace
  // published for a table of the study's players.
  double roundsPerHour() const;

  std::uint64_t blockCount() const { return (rounds + blockSize - 1) / blockSize; }
  // Every block holds blockSize rounds but the last, which holds the rest.
  std::uint64_t roundsInBlock(std::uint64_t block) const;
};
