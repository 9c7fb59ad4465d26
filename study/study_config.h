#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "stats/ramp.h"
#include "table/game_rules.h"

// How the player decides.
enum class Strategy {
  Composition,  // from the undealt cards, as truecount plays
  Visible,      // from the undealt cards and the dealer's hole card
  Basic,        // fixed tables from a full shoe
};

// Everything that defines a study: its results depend on this, the seed and
// the set of blocks played, and on nothing else (threads, order, machines).
struct StudyConfig {
  static constexpr std::uint64_t kDefaultRounds = 10'000'000;
  static constexpr std::uint64_t kDefaultBlockSize = 100'000;
  // Limits that keep a study's bookkeeping small: block sets are listed
  // block by block when a study is resumed or merged.
  static constexpr std::uint64_t kMaxRounds = 1'000'000'000'000;
  static constexpr std::uint64_t kMaxBlockSize = 100'000'000;
  static constexpr std::uint64_t kMaxBlocks = 10'000'000;
  // Cards that must remain when the shoe is reshuffled: enough for a round.
  static constexpr int kPlayableShoe = 15;

  std::uint64_t rounds = kDefaultRounds;
  std::uint64_t blockSize = kDefaultBlockSize;
  std::uint64_t seed = 1;
  GameRules rules;
  Strategy strategy = Strategy::Composition;
  std::optional<Ramp> ramp;
  std::optional<double> bankroll;

  std::uint64_t blockCount() const { return (rounds + blockSize - 1) / blockSize; }
  // Every block holds blockSize rounds but the last, which holds the rest.
  std::uint64_t roundsInBlock(std::uint64_t block) const;
  // What is wrong with the round and block counts, or empty when they are
  // within the limits.
  std::string sizeProblem() const;
  // The most cards that may be gone before a reshuffle with `decks` decks.
  static int latestReshuffle(int decks) { return 52 * decks - kPlayableShoe; }
  // The first setting in which two configurations differ, or empty when equal.
  std::string firstDifference(const StudyConfig& other) const;
};

// The names settings go by on the command line and in result files.
std::string_view nameOf(Strategy strategy);
std::string_view nameOf(AfterSplit rule);
std::string_view dealerRuleName(bool hitsSoft17);
std::string_view splitTwentyOneName(bool paysBlackjack);
std::optional<Strategy> strategyNamed(std::string_view name);
std::optional<AfterSplit> afterSplitNamed(std::string_view name);
