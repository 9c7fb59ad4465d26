#pragma once

#include <array>
#include <cstdint>

#include "strategy/decision_table.h"
#include "strategy/draw_probabilities.h"
#include "table/actions.h"
#include "table/game_rules.h"
#include "table/player.h"
#include "table/rules.h"

// The player's composition-dependent strategy: prices the hand's allowed
// actions against the dealer's up card from the live shoe (the undealt cards,
// so without the dealer's hole card) and takes the best.
int PlayerRule(DecisionContext context);

// The same calculation over what a player can know: the undealt cards and the
// dealer's hole card (where he holds one).
int VisiblePlayerRule(DecisionContext context);

// A fixed, total-dependent strategy: every decision priced once, from a full
// shoe under the given rules, as PlayerRule prices it there, and kept in
// tables, so that a decision is a lookup.
class BasicStrategy final : public Player {
 public:
  // Hands in the round beyond which no limit changes a split's price.
  static constexpr int kRoundSizes = 7;

  explicit BasicStrategy(const GameRules& rules);

  int decide(const DecisionView& view) override;
  int operator()(const DecisionContext& context) const;

  // The decision for a hand of `total` (soft or hard) that may not split,
  // against `upCard` (2..11, 11 the ace), given the actions it may take.
  int totalAction(int upCard, int total, bool soft, ActionSet allowed) const {
    return totals_[upCard - 2][soft ? 1 : 0][total][choiceIndex(allowed)];
  }
  // The decision for a pair of `pairCard` (1 for aces) that may split, in a
  // round of `handsInRound` hands, from a hand that may double or not.
  int pairAction(int upCard, int pairCard, int handsInRound, bool canDouble,
                 ActionSet allowed) const;

 private:
  static constexpr int kTotals = 22;
  static constexpr int kUpCards = 10;
  // Whether hitting, doubling and surrendering are allowed: three bits.
  static constexpr int kChoices = 8;

  static int choiceIndex(ActionSet allowed) {
    return (allowed.contains(Hit) ? 1 : 0) + (allowed.contains(Double) ? 2 : 0) +
           (allowed.contains(Surrender) ? 4 : 0);
  }
  void fillTotals(int upCard, const DecisionTable& table, const GameRules& rules);
  void fillPairs(int upCard, const DecisionTable& table, const DrawProbabilities& p,
                 const GameRules& rules);
  int decideFor(const Hand& hand, const Hand& dealer, ActionSet allowed, int handsInRound) const;

  // [up card][soft][total][choices]
  std::array<std::array<std::array<std::array<std::uint8_t, kChoices>, kTotals>, 2>, kUpCards>
      totals_{};
  // [up card][pair card - 1][hands in round - 1][may double][choices]
  std::array<
      std::array<std::array<std::array<std::array<std::uint8_t, kChoices>, 2>, kRoundSizes>, 10>,
      kUpCards>
      pairs_{};
};
