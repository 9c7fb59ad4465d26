#include "strategy/player_rule.h"

#include "deck/deck.h"
#include "strategy/decision_table.h"

namespace {

constexpr int kHouseDealerMode = 0;  // the dealer hits soft 17

int resolveDouble(int advised, const Hand& hand) {
  const bool mayDouble = hand.cards.size() == 2 && hand.canDouble;
  switch (advised) {
    case Double:
    case DoubleElseHit:
      return mayDouble ? Double : Hit;
    case DoubleElseStand:
      return mayDouble ? Double : Stand;
    default:
      return advised;
  }
}

bool isSplittablePair(const Hand& hand) {
  return hand.cards.size() == 2 && hand.canSplit && hand.cards[0] == hand.cards[1];
}

}  // namespace

int PlayerRule(DecisionContext context) {
  bool soft = false;
  const int total = context.player.total(soft);
  if (total > DecisionTable::kTopTotal || context.dealer.cards.empty() || context.deck == nullptr) {
    return Stand;
  }
  const int upCard = context.dealer.cards[0] == 1 ? 11 : context.dealer.cards[0];
  const DecisionTable table = context.deck->buildDecisionTable(upCard, kHouseDealerMode);
  const DecisionRow& row = table[total];
  int action = resolveDouble(soft ? row.soft.action : row.hard.action, context.player);
  const Hand& hand = context.player;
  if (isSplittablePair(hand) && table[2 * hand.cards[0]].splitAdvised) {
    action = Split;
  }
  return action;
}
