#pragma once

#include <array>
#include <memory>

#include "count/card_counter.h"
#include "exact/dealer_odds.h"
#include "strategy/deviation_tally.h"
#include "strategy/player_rule.h"

// Index generation's player. It plays basic strategy, and at every decision
// prices each action the hand may take with the composition engine, from the
// cards the player cannot see (the undealt cards and the hole card, as the
// visible strategy does), and tallies each other action's price less basic
// strategy's at the counter's count. At an ace up card it tallies insurance's
// price per unit of the main stake (declining is worth nothing) and follows
// the rules' insurance policy.
//
// Pricing from the undealt cards alone would leak the hole card: insurance,
// for one, would look worst exactly when the hole card is a ten.
//
// Prices come from the proportions of those cards, or, exactly, with every
// card removed as it is dealt (exact/; some 20 times slower, what measures
// how far the proportions move an index).
enum class DeviationPricing { Proportions, Exact };

class DeviationPricer final : public Player {
 public:
  // `counter` and `tally` must outlive the player.
  DeviationPricer(const GameRules& rules, const CardCounter& counter, DeviationTally& tally,
                  DeviationPricing pricing = DeviationPricing::Proportions);

  int decide(const DecisionView& view) override;
  bool takesInsurance(const Deck& deck, const Hand& dealer, const GameRules& rules,
                      int count) override;

 private:
  BasicStrategy basic_;
  const CardCounter* counter_;
  DeviationTally* tally_;
  DeviationPricing pricing_;
  // Exact pricing's dealer graphs, by up card (1..10), built once.
  std::array<std::shared_ptr<const DealerGraph>, 11> dealerGraphs_{};
};
