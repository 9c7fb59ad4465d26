#include "strategy/deviation_pricer.h"

#include <array>

#include "strategy/draw_probabilities.h"
#include "strategy/pricing.h"

namespace {

constexpr int kAce = 11;
constexpr std::array<int, 5> kActions{Stand, Hit, Double, Split, Surrender};

double priceOf(const ActionPrices& prices, int action) {
  switch (action) {
    case Hit:
      return prices.hit;
    case Double:
      return prices.doubleDown;
    case Split:
      return prices.split;
    case Surrender:
      return prices.surrender;
    default:
      return prices.stand;
  }
}

// The value of the card the player is not shown: the peeking dealer's hole
// card, or none.
int holeCardOf(const Hand& dealer) {
  return dealer.cards().size() > 1 ? dealer.cards()[1] : 0;
}

}  // namespace

DeviationPricer::DeviationPricer(const GameRules& rules, const CardCounter& counter,
                                 DeviationTally& tally)
    : basic_(rules), counter_(&counter), tally_(&tally) {}

int DeviationPricer::decide(const DecisionView& view) {
  const int basic = basic_.decide(view);
  bool soft = false;
  const int total = view.hand.total(soft);
  if (total > DecisionTable::kTopTotal || view.dealer.cards().empty()) {
    return basic;
  }
  const int upCard = view.dealer.cards()[0] == 1 ? kAce : view.dealer.cards()[0];
  const DrawProbabilities p = drawProbabilitiesWith(view.deck, holeCardOf(view.dealer));
  const DecisionTable table =
      buildDecisionTable(p, upCard, dealerGameOf(view.rules),
                         rowsRead(view.hand, total, soft, view.allowed, view.rules));
  const ActionPrices prices =
      priceActions(table, p, view.hand, view.allowed, view.handsInRound, view.rules);
  DeviationKey key{soft ? IndexHand::Soft : IndexHand::Hard, total, upCard, basic, 0};
  if (view.allowed.contains(Split)) {
    key.hand = IndexHand::Pair;
    key.value = view.hand.cards()[0];
  }
  const int count = counter_->count(view.deck);
  const double basicPrice = priceOf(prices, basic);
  for (const int action : kActions) {
    if (action != basic && view.allowed.contains(action)) {
      key.alternative = action;
      tally_->record(key, count, priceOf(prices, action) - basicPrice);
    }
  }
  return basic;
}

bool DeviationPricer::takesInsurance(const Deck& deck, const Hand& dealer, const GameRules& rules,
                                     int count) {
  const DeviationKey key{IndexHand::Insurance, 0, kAce, Stand, Hit};
  tally_->record(key, count, insuranceValue(drawProbabilitiesWith(deck, holeCardOf(dealer))));
  return insuranceByPolicy(deck, dealer, rules, count);
}
