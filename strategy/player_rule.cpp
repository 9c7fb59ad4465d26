#include "strategy/player_rule.h"

#include <algorithm>

#include "deck/deck.h"
#include "strategy/decision_table.h"
#include "strategy/pricing.h"
#include "strategy/split_value.h"

namespace {

constexpr int kAce = 11;

// The actions of a choice index, standing always among them.
ActionSet choiceActions(int choice) {
  ActionSet allowed{Stand};
  allowed = (choice & 1) != 0 ? allowed.with(Hit) : allowed;
  allowed = (choice & 2) != 0 ? allowed.with(Double) : allowed;
  return (choice & 4) != 0 ? allowed.with(Surrender) : allowed;
}

// One decision from a table's entry, its split value and surrender's value.
std::uint8_t decisionFrom(const DecisionEntry& e, ActionSet allowed, double split,
                          double surrender) {
  return static_cast<std::uint8_t>(
      bestAction({allowed, e.standValue, e.hitValue, e.doubleValue, split, surrender}));
}

}  // namespace

int PlayerRule(DecisionContext context) {
  if (context.deck == nullptr) {
    return Stand;
  }
  return pricedDecision(drawProbabilities(*context.deck), context.dealer, context.player,
                        context.allowed(), context.handsInRound, context.gameRules());
}

int VisiblePlayerRule(DecisionContext context) {
  if (context.deck == nullptr) {
    return Stand;
  }
  const int holeCard = context.dealer.cards().size() > 1 ? context.dealer.cards()[1] : 0;
  return pricedDecision(drawProbabilitiesWith(*context.deck, holeCard), context.dealer,
                        context.player, context.allowed(), context.handsInRound,
                        context.gameRules());
}

BasicStrategy::BasicStrategy(const GameRules& rules) {
  // The composition of a full shoe does not depend on its order.
  StreamRandom anyOrder(0, 0);
  const DrawProbabilities p = drawProbabilities(Deck(rules.decks, true, anyOrder));
  for (int upCard = 2; upCard <= kAce; ++upCard) {
    const DecisionTable table = buildDecisionTable(p, upCard, dealerGameOf(rules));
    fillTotals(upCard, table, rules);
    fillPairs(upCard, table, p, rules);
  }
}

void BasicStrategy::fillTotals(int upCard, const DecisionTable& table, const GameRules& rules) {
  const double surrender = surrenderValue(rules, table.dealerBlackjack);
  for (int soft = 0; soft < 2; ++soft) {
    for (int total = 0; total < kTotals; ++total) {
      const DecisionEntry& e = soft != 0 ? table[total].soft : table[total].hard;
      for (int choice = 0; choice < kChoices; ++choice) {
        totals_[upCard - 2][soft][total][choice] =
            decisionFrom(e, choiceActions(choice), 0.0, surrender);
      }
    }
  }
}

void BasicStrategy::fillPairs(int upCard, const DecisionTable& table, const DrawProbabilities& p,
                              const GameRules& rules) {
  const double surrender = surrenderValue(rules, table.dealerBlackjack);
  for (int card = 1; card <= 10; ++card) {
    const DecisionEntry& e = card == 1 ? table[12].soft : table[2 * card].hard;
    for (int hands = 1; hands <= kRoundSizes; ++hands) {
      for (int canDouble = 0; canDouble < 2; ++canDouble) {
        const double split =
            rules.pricesSplitsAsPlayed()
                ? playedSplitValue(table, p, card, {canDouble != 0, true}, hands, rules)
                : table[2 * card].splitValue;
        for (int choice = 0; choice < kChoices; ++choice) {
          pairs_[upCard - 2][card - 1][hands - 1][canDouble][choice] =
              decisionFrom(e, choiceActions(choice).with(Split), split, surrender);
        }
      }
    }
  }
}

int BasicStrategy::pairAction(int upCard, int pairCard, int handsInRound, bool canDouble,
                              ActionSet allowed) const {
  const int hands = std::clamp(handsInRound, 1, kRoundSizes);
  return pairs_[upCard - 2][pairCard - 1][hands - 1][canDouble ? 1 : 0][choiceIndex(allowed)];
}

int BasicStrategy::decideFor(const Hand& hand, const Hand& dealer, ActionSet allowed,
                             int handsInRound) const {
  bool soft = false;
  const int total = hand.total(soft);
  if (total > DecisionTable::kTopTotal || dealer.cards().empty()) {
    return Stand;
  }
  const int upCard = dealer.cards()[0] == 1 ? kAce : dealer.cards()[0];
  if (allowed.contains(Split)) {
    return pairAction(upCard, hand.cards()[0], handsInRound, hand.canDouble, allowed);
  }
  return totalAction(upCard, total, soft, allowed);
}

int BasicStrategy::decide(const DecisionView& view) {
  return decideFor(view.hand, view.dealer, view.allowed, view.handsInRound);
}

int BasicStrategy::operator()(const DecisionContext& context) const {
  return decideFor(context.player, context.dealer, context.allowed(), context.handsInRound);
}
