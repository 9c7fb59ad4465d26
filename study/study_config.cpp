#include "study/study_config.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<Strategy, std::string_view>, 3> kStrategyNames{{
    {Strategy::Composition, "composition"},
    {Strategy::Visible, "visible"},
    {Strategy::Basic, "basic"},
}};

constexpr std::array<std::pair<AfterSplit, std::string_view>, 4> kAfterSplitNames{{
    {AfterSplit::KeepFirst, "truecount"},
    {AfterSplit::NoDoubleNoSplit, "none"},
    {AfterSplit::DoubleNoSplit, "das"},
    {AfterSplit::DoubleAndSplit, "das-resplit"},
}};

template <typename Enum, std::size_t N>
std::string_view nameIn(const std::array<std::pair<Enum, std::string_view>, N>& names, Enum value) {
  for (const auto& [candidate, name] : names) {
    if (candidate == value) {
      return name;
    }
  }
  return "?";
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueIn(const std::array<std::pair<Enum, std::string_view>, N>& names,
                            std::string_view wanted) {
  for (const auto& [value, name] : names) {
    if (name == wanted) {
      return value;
    }
  }
  return std::nullopt;
}

std::string rampText(const std::optional<Ramp>& ramp) {
  return ramp ? ramp->text() : "none";
}

std::string bankrollText(const std::optional<double>& bankroll) {
  return bankroll ? std::to_string(*bankroll) : "none";
}

}  // namespace

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  const std::uint64_t first = block * blockSize;
  if (first >= rounds) {
    return 0;
  }
  return rounds - first < blockSize ? rounds - first : blockSize;
}

std::string StudyConfig::sizeProblem() const {
  if (rounds < 1 || rounds > kMaxRounds) {
    return "rounds must be from 1 to " + std::to_string(kMaxRounds);
  }
  if (blockSize < 1 || blockSize > kMaxBlockSize) {
    return "the block size must be from 1 to " + std::to_string(kMaxBlockSize);
  }
  if (blockCount() > kMaxBlocks) {
    return std::to_string(rounds) + " rounds in blocks of " + std::to_string(blockSize) + " make " +
           std::to_string(blockCount()) + " blocks, more than " + std::to_string(kMaxBlocks) +
           "; use larger blocks";
  }
  return {};
}

std::string StudyConfig::firstDifference(const StudyConfig& other) const {
  using Setting = std::pair<std::string, std::pair<std::string, std::string>>;
  const std::array<Setting, 11> settings{{
      {"rounds", {std::to_string(rounds), std::to_string(other.rounds)}},
      {"block size", {std::to_string(blockSize), std::to_string(other.blockSize)}},
      {"seed", {std::to_string(seed), std::to_string(other.seed)}},
      {"decks", {std::to_string(rules.decks), std::to_string(other.rules.decks)}},
      {"reshuffle point",
       {std::to_string(rules.reshuffleAfter), std::to_string(other.rules.reshuffleAfter)}},
      {"dealer rule",
       {std::string(dealerRuleName(rules.dealerHitsSoft17)),
        std::string(dealerRuleName(other.rules.dealerHitsSoft17))}},
      {"after-split rule",
       {std::string(nameOf(rules.afterSplit)), std::string(nameOf(other.rules.afterSplit))}},
      {"split 21 payout",
       {std::string(splitTwentyOneName(rules.splitTwentyOnePaysBlackjack)),
        std::string(splitTwentyOneName(other.rules.splitTwentyOnePaysBlackjack))}},
      {"strategy", {std::string(nameOf(strategy)), std::string(nameOf(other.strategy))}},
      {"ramp", {rampText(ramp), rampText(other.ramp)}},
      {"bankroll", {bankrollText(bankroll), bankrollText(other.bankroll)}},
  }};
  for (const auto& [setting, values] : settings) {
    if (values.first != values.second) {
      return setting + " " + values.first + " against " + values.second;
    }
  }
  return {};
}

std::string_view nameOf(Strategy strategy) {
  return nameIn(kStrategyNames, strategy);
}

std::string_view nameOf(AfterSplit rule) {
  return nameIn(kAfterSplitNames, rule);
}

std::string_view dealerRuleName(bool hitsSoft17) {
  return hitsSoft17 ? "h17" : "s17";
}

std::string_view splitTwentyOneName(bool paysBlackjack) {
  return paysBlackjack ? "3:2" : "1:1";
}

std::optional<Strategy> strategyNamed(std::string_view name) {
  return valueIn(kStrategyNames, name);
}

std::optional<AfterSplit> afterSplitNamed(std::string_view name) {
  return valueIn(kAfterSplitNames, name);
}
