#include "strategy/player_rule.h"

#include "deck/deck.h"

namespace {

constexpr int kAce = 11;

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

// What every strategy needs before it looks at a table: a live hand of 21 or
// less, a dealer up card and a shoe.
struct Situation {
  bool decidable = false;
  int total = 0;
  bool soft = false;
  int upCard = 0;
};

Situation situationOf(const DecisionContext& context) {
  Situation s;
  s.total = context.player.total(s.soft);
  s.decidable = s.total <= DecisionTable::kTopTotal && !context.dealer.cards.empty() &&
                context.deck != nullptr;
  if (s.decidable) {
    s.upCard = context.dealer.cards[0] == 1 ? kAce : context.dealer.cards[0];
  }
  return s;
}

int adviceFrom(const DecisionTable& table, const Hand& hand, const Situation& s) {
  const DecisionRow& row = table[s.total];
  int action = resolveDouble(s.soft ? row.soft.action : row.hard.action, hand);
  if (isSplittablePair(hand) && table[2 * hand.cards[0]].splitAdvised) {
    action = Split;
  }
  return action;
}

}  // namespace

int PlayerRule(DecisionContext context) {
  const Situation s = situationOf(context);
  if (!s.decidable) {
    return Stand;
  }
  const DecisionTable table = context.deck->buildDecisionTable(
      s.upCard, context.gameRules().dealerMode(), rowsRead(context.player, s.total, s.soft));
  return adviceFrom(table, context.player, s);
}

int VisiblePlayerRule(DecisionContext context) {
  const Situation s = situationOf(context);
  if (!s.decidable) {
    return Stand;
  }
  const int holeCard = context.dealer.cards.size() > 1 ? context.dealer.cards[1] : 0;
  const DecisionTable table = buildDecisionTable(drawProbabilitiesWith(*context.deck, holeCard),
                                                 s.upCard, context.gameRules().dealerMode(),
                                                 rowsRead(context.player, s.total, s.soft));
  return adviceFrom(table, context.player, s);
}

BasicStrategy::BasicStrategy(const GameRules& rules) {
  // The composition of a full shoe does not depend on its order.
  StreamRandom anyOrder(0, 0);
  const Deck fullShoe(rules.decks, true, anyOrder);
  for (int upCard = 2; upCard <= kAce; ++upCard) {
    tables_[upCard - 2] = fullShoe.buildDecisionTable(upCard, rules.dealerMode());
  }
}

int BasicStrategy::operator()(const DecisionContext& context) const {
  const Situation s = situationOf(context);
  return s.decidable ? adviceFrom(tableFor(s.upCard), context.player, s) : Stand;
}
