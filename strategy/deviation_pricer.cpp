#include "strategy/deviation_pricer.h"

#include <array>

#include "exact/game_analysis.h"
#include "exact/up_card_engine.h"
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

// Every allowed action priced from the proportions of the unseen cards.
ActionPrices proportionPrices(const DecisionView& view, int total, bool soft) {
  const int upCard = view.dealer.cards()[0] == 1 ? kAce : view.dealer.cards()[0];
  const DrawProbabilities p = drawProbabilitiesWith(view.deck, holeCardOf(view.dealer));
  const DecisionTable table =
      buildDecisionTable(p, upCard, dealerGameOf(view.rules),
                         rowsRead(view.hand, total, soft, view.allowed, view.rules));
  return priceActions(table, p, view.hand, view.allowed, view.handsInRound, view.rules);
}

// The same exactly, every card removed as it is dealt, in the same units:
// per unit staked, given no dealer blackjack where he peeks.
ActionPrices exactPrices(const DecisionView& view, std::shared_ptr<const DealerGraph> graph) {
  CardCounts hand;
  for (const int card : view.hand.cards()) {
    hand.add(card);
  }
  // What the player cannot see, and his hand, which the engine takes out.
  CardCounts shoe = hand;
  for (int v = 1; v <= CardCounts::kValues; ++v) {
    shoe.add(v, view.deck.remaining(v));
  }
  if (const int hole = holeCardOf(view.dealer); hole != 0) {
    shoe.add(hole);
  }
  UpCardEngine engine(shoe, std::move(graph), view.rules);
  const double playedOn = 1.0 - engine.peekedBlackjack(hand);
  ActionPrices prices{view.allowed};
  prices.stand = engine.stand(hand, 0).value / playedOn;
  prices.hit = engine.hit(hand, 0).value / playedOn;
  if (view.allowed.contains(Double)) {
    prices.doubleDown = engine.doubleDown(hand, 0).value / playedOn;
  }
  if (view.allowed.contains(Split)) {
    prices.split = compositionSplit(engine, view.rules, view.hand.cards()[0], view.handsInRound,
                                    view.hand.canDouble)
                       .value /
                   playedOn;
  }
  if (view.allowed.contains(Surrender)) {
    prices.surrender = view.rules.surrender == SurrenderRule::Early
                           ? (-0.5 + engine.peekedBlackjack(hand)) / playedOn
                           : engine.lateSurrender(hand).value / playedOn;
  }
  return prices;
}

}  // namespace

DeviationPricer::DeviationPricer(const GameRules& rules, const CardCounter& counter,
                                 DeviationTally& tally, DeviationPricing pricing)
    : basic_(rules), counter_(&counter), tally_(&tally), pricing_(pricing) {
  if (pricing == DeviationPricing::Exact) {
    for (int up = 1; up <= CardCounts::kValues; ++up) {
      dealerGraphs_[up] = std::make_shared<const DealerGraph>(up, rules.dealerHitsSoft17);
    }
  }
}

int DeviationPricer::decide(const DecisionView& view) {
  const int basic = basic_.decide(view);
  bool soft = false;
  const int total = view.hand.total(soft);
  if (total > DecisionTable::kTopTotal || view.dealer.cards().empty()) {
    return basic;
  }
  const int upCard = view.dealer.cards()[0] == 1 ? kAce : view.dealer.cards()[0];
  const ActionPrices prices = pricing_ == DeviationPricing::Exact
                                  ? exactPrices(view, dealerGraphs_[view.dealer.cards()[0]])
                                  : proportionPrices(view, total, soft);
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
