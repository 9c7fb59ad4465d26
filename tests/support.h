#pragma once

// What several test files build: hands, the usual shoe game, studies played
// block by block or of one block, files read whole, and the check that a
// refusal says why.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "study/study_player.h"
#include "table/hand.h"

inline Hand handOf(const std::vector<int>& cards) {
  Hand hand;
  for (const int card : cards)
    hand.addCard(card);
  return hand;
}

// A study, or with a variant a comparison, whose blocks at `positions` (by
// default every block of the shard) the library's own player plays in turn.
inline StudyResult played(const StudyConfig& config, std::optional<ShardSpec> shard,
                          std::optional<BlockSet> positions = std::nullopt,
                          std::optional<StudyConfig> variant = std::nullopt) {
  StudyResult r;
  r.config = config;
  r.shard = shard;
  if (variant)
    r.variant = Variant{*variant, {}, {}, {}};
  StudyPlayer player(r);
  const std::atomic<int> never{kRunOn};
  const BlockSet blocks = positions.value_or(r.target());
  for (const BlockSet::Range range : blocks.ranges())
    for (std::uint64_t position = range.first; position <= range.last; ++position) {
      EXPECT_TRUE(player.play(r.blockAt(position), r, never));
      r.blocks.append(position);
    }
  return r;
}

// The usual shoe game of the published charts and returns: double after any
// split, resplits to four hands, one card to each split ace, no resplit of aces.
inline GameRules casinoRules(int decks, bool hitsSoft17, SurrenderRule surrender) {
  return {.decks = decks,
          .dealerHitsSoft17 = hitsSoft17,
          .afterSplit = AfterSplit::DoubleAndSplit,
          .surrender = surrender,
          .splitAces = SplitAces::OneCard,
          .resplitAces = false,
          .maxHands = 4};
}

// A study of one block, from one shoe, of rounds at (count, payoff units).
inline StudyResult oneBlock(std::initializer_list<std::pair<int, std::int64_t>> rounds) {
  StudyResult r;
  r.config.rounds = r.config.blockSize = rounds.size();
  BlockTally block;
  for (const auto& [count, units] : rounds)
    block.record(count, units);
  r.tally.addBlock(block, truecountWeights(), nullptr);
  r.blocks.append(0);
  r.events.shoes = 1;
  return r;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), {}};
}

// Passes when `problem` names `reason` ("" for any), or, with no reason, when
// there is none.
inline testing::AssertionResult says(const std::optional<std::string>& problem,
                                     const char* reason) {
  if (reason == nullptr ? !problem : problem && problem->find(reason) != std::string::npos)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << problem.value_or("no problem") << " (expected " << (reason ? reason : "none") << ")";
}

// The same of a parser's answer, whose refusal is its text.
template <typename T>
testing::AssertionResult says(const std::variant<T, std::string>& parsed, const char* reason) {
  const auto* refusal = std::get_if<std::string>(&parsed);
  return says(refusal ? std::optional(*refusal) : std::nullopt, reason);
}
