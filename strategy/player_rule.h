#pragma once

#include <array>

#include "strategy/decision_table.h"
#include "table/game_rules.h"
#include "table/rules.h"

// The player's composition-dependent strategy: builds the decision table for
// the dealer's up card from the live shoe (the undealt cards, so without the
// dealer's hole card) and resolves its advice for this hand.
int PlayerRule(DecisionContext context);

// The same calculation over what a player can know: the undealt cards and the
// dealer's hole card.
int VisiblePlayerRule(DecisionContext context);

// A fixed, total-dependent strategy: one decision table per up card, computed
// once from a full shoe under the given rules, resolved like PlayerRule.
class BasicStrategy {
 public:
  explicit BasicStrategy(const GameRules& rules);

  int operator()(const DecisionContext& context) const;
  const DecisionTable& tableFor(int upCard) const { return tables_[upCard - 2]; }

 private:
  std::array<DecisionTable, 10> tables_;  // up cards 2..11
};
