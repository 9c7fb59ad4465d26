#include "strategy/player_rule.h"

#include <algorithm>

#include "deck/deck.h"
#include "exact/game_analysis.h"
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
  allowed = (choice & 4) != 0 ? allowed.with(Surrender) : allowed;
  return (choice & 8) != 0 ? allowed.with(Split) : allowed;
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
  const TotalDependentTables tables = totalDependentTables(rules, CardCounts::shoe(rules.decks));
  for (int upCard = 2; upCard <= kAce; ++upCard) {
    const UpCardTables& up = tables.byUpCard[upCard == kAce ? 0 : upCard - 1];
    for (int choice = 0; choice < kChoices; ++choice) {
      fillTotals(upCard, up, choice);
      fillPairs(upCard, up, choice);
    }
  }
}

void BasicStrategy::fillTotals(int upCard, const UpCardTables& up, int choice) {
  const ActionSet allowed = choiceActions(choice);
  for (int soft = 0; soft < 2; ++soft) {
    for (int total = 0; total < kTotals; ++total) {
      const bool hits = up.multiCard.hits[soft][total];
      multiCardHits_[upCard - 2][soft][total] = hits;
      // A kind never dealt as two cards plays as a longer hand would.
      const int longer = hits && allowed.contains(Hit) ? Hit : Stand;
      twoCards_[upCard - 2][soft][total][choice] = static_cast<std::uint8_t>(
          up.twoCardDealt[soft][total] ? bestOf(up.twoCard[soft][total], allowed) : longer);
    }
  }
}

void BasicStrategy::fillPairs(int upCard, const UpCardTables& up, int choice) {
  const ActionSet allowed = choiceActions(choice);
  for (int card = 1; card <= 10; ++card) {
    ActionValues pair = up.pair[card - 1];
    for (int hands = 1; hands <= kRoundSizes; ++hands) {
      for (int canDouble = 0; canDouble < 2; ++canDouble) {
        pair.split.value = up.split[card - 1][hands - 1][canDouble];
        pairs_[upCard - 2][card - 1][hands - 1][canDouble][choice] =
            static_cast<std::uint8_t>(bestOf(pair, allowed));
      }
    }
  }
}

int BasicStrategy::pairAction(int upCard, int pairCard, int handsInRound, bool canDouble,
                              ActionSet allowed) const {
  const int hands = std::clamp(handsInRound, 1, kRoundSizes);
  return pairs_[upCard - 2][pairCard - 1][hands - 1][canDouble ? 1 : 0][choiceIndex(allowed)];
}

int BasicStrategy::handAction(const Hand& hand, const Hand& dealer, ActionSet allowed,
                              int handsInRound) const {
  bool soft = false;
  const int total = hand.total(soft);
  if (total > DecisionTable::kTopTotal || dealer.cards().empty()) {
    return Stand;
  }
  const int upCard = dealer.cards()[0] == 1 ? kAce : dealer.cards()[0];
  const bool twoCards = hand.cards().size() == 2;
  if (twoCards && hand.cards()[0] == hand.cards()[1]) {
    return pairAction(upCard, hand.cards()[0], handsInRound, hand.canDouble, allowed);
  }
  return totalAction(upCard, total, soft, twoCards, allowed);
}

int BasicStrategy::decide(const DecisionView& view) {
  return handAction(view.hand, view.dealer, view.allowed, view.handsInRound);
}

int BasicStrategy::operator()(const DecisionContext& context) const {
  return handAction(context.player, context.dealer, context.allowed(), context.handsInRound);
}
