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

// The rows this decision reads: the hand's own row and, for a pair that may be
// split, the values of one card of the pair (a lone ace is a soft 11).
DecisionBounds rowsRead(const Hand& hand, int total, bool soft) {
  constexpr int kNone = DecisionTable::kTopTotal + 1;
  int hardRow = soft ? kNone : total;
  int softRow = soft ? total : kNone;
  if (isSplittablePair(hand)) {
    if (hand.cards[0] == 1) {
      softRow = softRow < 11 ? softRow : 11;
    } else {
      hardRow = hardRow < hand.cards[0] ? hardRow : hand.cards[0];
    }
  }
  return DecisionBounds::covering(hardRow, softRow);
}

}  // namespace

int PlayerRule(DecisionContext context) {
  bool soft = false;
  const int total = context.player.total(soft);
  if (total > DecisionTable::kTopTotal || context.dealer.cards.empty() || context.deck == nullptr) {
    return Stand;
  }
  const int upCard = context.dealer.cards[0] == 1 ? 11 : context.dealer.cards[0];
  const DecisionTable table = context.deck->buildDecisionTable(
      upCard, kHouseDealerMode, rowsRead(context.player, total, soft));
  const DecisionRow& row = table[total];
  int action = resolveDouble(soft ? row.soft.action : row.hard.action, context.player);
  const Hand& hand = context.player;
  if (isSplittablePair(hand) && table[2 * hand.cards[0]].splitAdvised) {
    action = Split;
  }
  return action;
}
