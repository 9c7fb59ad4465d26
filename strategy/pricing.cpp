#include "strategy/pricing.h"

#include <algorithm>

#include "strategy/split_value.h"

namespace {

constexpr int kAce = 11;
constexpr int kNoRow = DecisionTable::kTopTotal + 1;

}  // namespace

int bestAction(const ActionPrices& prices) {
  const ActionSet allowed = prices.allowed;
  int action = Stand;
  double value = prices.stand;
  if (allowed.contains(Hit) && prices.hit >= value) {
    action = Hit;
    value = prices.hit;
  }
  if (allowed.contains(Double) && prices.doubleDown >= value) {
    action = Double;
    value = prices.doubleDown;
  }
  if (allowed.contains(Split) && prices.split > value) {
    action = Split;
    value = prices.split;
  }
  if (allowed.contains(Surrender) && prices.surrender > value) {
    action = Surrender;
  }
  return action;
}

double surrenderValue(const GameRules& rules, double dealerBlackjack) {
  const double h = dealerBlackjack;
  if (rules.peeks()) {
    // The table's values are given no blackjack only for 0 < h < 1.
    const bool conditioned = h != 0.0 && h != 1.0;
    return rules.surrender == SurrenderRule::Early && conditioned ? (h - 0.5) / (1.0 - h) : -0.5;
  }
  return rules.surrender == SurrenderRule::Late ? -0.5 - 0.5 * h : -0.5;
}

double insuranceValue(const DrawProbabilities& unseen) {
  return 1.5 * unseen[10] - 0.5;
}

DecisionBounds rowsRead(const Hand& hand, int total, bool soft, ActionSet allowed,
                        const GameRules& rules) {
  int hardRow = soft ? kNoRow : total;
  int softRow = soft ? total : kNoRow;
  if (allowed.contains(Split)) {
    const int card = hand.cards()[0];
    if (rules.pricesSplitsAsPlayed()) {
      // Two-card hands of the pair card: hard card + 2 up, soft card + 11; aces soft 12 up.
      hardRow = card == 1 ? hardRow : std::min(hardRow, card + 2);
      softRow = std::min(softRow, card == 1 ? 12 : card + 11);
    } else if (card == 1) {
      softRow = std::min(softRow, 11);  // a lone ace is a soft 11
    } else {
      hardRow = std::min(hardRow, card);
    }
  }
  return DecisionBounds::covering(hardRow, softRow);
}

namespace {

ActionPrices pricesOf(const DecisionTable& table, const DrawProbabilities& p, const Hand& hand,
                      int total, bool soft, ActionSet allowed, int handsInRound,
                      const GameRules& rules) {
  const DecisionEntry& e = soft ? table[total].soft : table[total].hard;
  ActionPrices prices{allowed, e.standValue, e.hitValue, e.doubleValue};
  if (allowed.contains(Split)) {
    const int card = hand.cards()[0];
    prices.split =
        rules.pricesSplitsAsPlayed()
            ? playedSplitValue(table, p, card, {hand.canDouble, hand.canSplit}, handsInRound, rules)
            : table[2 * card].splitValue;
  }
  if (allowed.contains(Surrender)) {
    prices.surrender = surrenderValue(rules, table.dealerBlackjack);
  }
  return prices;
}

}  // namespace

ActionPrices priceActions(const DecisionTable& table, const DrawProbabilities& p, const Hand& hand,
                          ActionSet allowed, int handsInRound, const GameRules& rules) {
  bool soft = false;
  const int total = hand.total(soft);
  return pricesOf(table, p, hand, total, soft, allowed, handsInRound, rules);
}

int pricedDecision(const DrawProbabilities& p, const Hand& dealer, const Hand& hand,
                   ActionSet allowed, int handsInRound, const GameRules& rules) {
  bool soft = false;
  const int total = hand.total(soft);
  if (total > DecisionTable::kTopTotal || dealer.cards().empty()) {
    return Stand;
  }
  const int upCard = dealer.cards()[0] == 1 ? kAce : dealer.cards()[0];
  const DecisionTable table = buildDecisionTable(p, upCard, dealerGameOf(rules),
                                                 rowsRead(hand, total, soft, allowed, rules));
  return bestAction(pricesOf(table, p, hand, total, soft, allowed, handsInRound, rules));
}
