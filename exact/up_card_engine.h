#pragma once

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

#include "exact/card_counts.h"
#include "exact/dealer_odds.h"
#include "exact/expected_result.h"
#include "table/actions.h"
#include "table/game_rules.h"

// How the player decides a hand that may only stand or hit (three cards or
// more, or two where nothing else is allowed): by the total-dependent tables,
// whose entry says whether a hand of that total hits, or by the hand's own
// cards (the better of the two values).
struct MultiCardPlay {
  bool byComposition = true;
  // [soft][total]: whether a hand of three cards or more hits.
  std::array<std::array<bool, 22>, 2> hits{};
};

// The exact values of one up card's hands, every card removed as it is dealt:
// the player's cards, the up card and the dealer's draws. Values are joint
// with the player's hand being played on (see DealerOdds); `roundValue` turns
// an original hand's into the round's.
//
// Caches: the dealer's odds are keyed by every card out of the shoe besides
// the up card (the player's hand and the other split card), which fixes the
// shoe he draws from; hand values by the hand and that other card, which fix
// the shoe and the hand's total, together with the play, which is fixed for
// the engine's life once set (setPlay clears them).
class UpCardEngine {
 public:
  UpCardEngine(const CardCounts& shoe, int upCard, const GameRules& rules);
  // The same with the dealer's graph already built (for the up card and the
  // rules' soft-17 rule): many engines of one game share theirs.
  UpCardEngine(const CardCounts& shoe, std::shared_ptr<const DealerGraph> graph,
               const GameRules& rules);

  int upCard() const { return graph_->upCard(); }
  const CardCounts& shoe() const { return shoe_; }
  void setPlay(const MultiCardPlay& play);
  // Sets one total's entry of a total-dependent play; the hands of that total
  // must not have been played yet (their values are kept).
  void decideTotal(bool soft, int total, bool hits) { play_.hits[soft ? 1 : 0][total] = hits; }

  // The chance of drawing `value` once `out` is out of the shoe.
  double drawChance(const CardCounts& out, int value) const;
  // The chance of a dealer blackjack once `out` is out of the shoe (where the
  // dealer peeks; zero where he does not, his blackjacks being in the odds).
  double peekedBlackjack(const CardCounts& out);

  // `extra` is the other card of a split pair (zero for none).
  ExpectedResult stand(const CardCounts& hand, int extra);
  ExpectedResult hit(const CardCounts& hand, int extra);
  ExpectedResult doubleDown(const CardCounts& hand, int extra);
  // A hand that may only stand or hit, played by the play set.
  ExpectedResult played(const CardCounts& hand, int extra);
  // Late surrender of the original hand.
  ExpectedResult lateSurrender(const CardCounts& hand);
  // A natural, or a split hand's two-card 21 paid 3:2 (`payout` per unit).
  ExpectedResult paidTwentyOne(const CardCounts& hand, int extra, double payout);
  // The original hand's value as the round's: where the dealer peeks, a
  // blackjack of his ended the round with the stake lost.
  ExpectedResult roundValue(const ExpectedResult& joint, const CardCounts& hand);

 private:
  const DealerOdds& dealerFor(const CardCounts& out);
  ExpectedResult bust(const CardCounts& out);

  CardCounts shoe_;  // without the up card
  GameRules rules_;
  std::shared_ptr<const DealerGraph> graph_;
  MultiCardPlay play_;
  std::unordered_map<std::uint64_t, DealerOdds> dealer_;
  std::unordered_map<std::uint64_t, ExpectedResult> played_;
  std::vector<double> reach_;
};

// The card that makes a blackjack with `upCard` (10 for an ace, 1 for a ten),
// or 0 for any other up card.
int blackjackPartner(int upCard);
