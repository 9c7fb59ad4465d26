#pragma once

#include <array>
#include <cstdint>

#include "exact/game_analysis.h"
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

// The total-dependent basic strategy of the rules' shoe (exact/game_analysis.h:
// every kind of hand decided by exact values with the cards removed as they
// are dealt), kept in tables, so that a decision is a lookup. A two-card hand
// decides by its kind (a pair by its own), a longer one by its total.
class BasicStrategy final : public Player {
 public:
  explicit BasicStrategy(const GameRules& rules);

  int decide(const DecisionView& view) override;
  int operator()(const DecisionContext& context) const;

  // The decision for a hand of `total` (soft or hard) that is not a pair,
  // against `upCard` (2..11, 11 the ace), given the actions it may take.
  int totalAction(int upCard, int total, bool soft, bool twoCards, ActionSet allowed) const {
    if (twoCards) {
      return twoCards_[upCard - 2][soft ? 1 : 0][total][choiceIndex(allowed)];
    }
    return multiCardHits_[upCard - 2][soft ? 1 : 0][total] && allowed.contains(Hit) ? Hit : Stand;
  }
  // The decision for a pair of `pairCard` (1 for aces), in a round of
  // `handsInRound` hands, from a hand that may double or not: split where
  // `allowed` has it and splitting is best, else the pair's own best play.
  int pairAction(int upCard, int pairCard, int handsInRound, bool canDouble,
                 ActionSet allowed) const;
  // Any live hand's decision (Stand for a bust one or without an up card).
  int handAction(const Hand& hand, const Hand& dealer, ActionSet allowed, int handsInRound) const;

 private:
  static constexpr int kTotals = 22;
  static constexpr int kUpCards = 10;
  // Whether hitting, doubling, surrendering and splitting are allowed: four bits.
  static constexpr int kChoices = 16;

  static int choiceIndex(ActionSet allowed) {
    return (allowed.contains(Hit) ? 1 : 0) + (allowed.contains(Double) ? 2 : 0) +
           (allowed.contains(Surrender) ? 4 : 0) + (allowed.contains(Split) ? 8 : 0);
  }

  void fillTotals(int upCard, const UpCardTables& up, int choice);
  void fillPairs(int upCard, const UpCardTables& up, int choice);

  // [up card][soft][total]
  std::array<std::array<std::array<bool, kTotals>, 2>, kUpCards> multiCardHits_{};
  // [up card][soft][total][choices]
  std::array<std::array<std::array<std::array<std::uint8_t, kChoices>, kTotals>, 2>, kUpCards>
      twoCards_{};
  // [up card][pair card - 1][hands in round - 1][may double][choices]
  std::array<
      std::array<std::array<std::array<std::array<std::uint8_t, kChoices>, 2>, kRoundSizes>, 10>,
      kUpCards>
      pairs_{};
};
