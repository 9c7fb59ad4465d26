#pragma once

#include <cstddef>
#include <vector>

#include "deck/deck.h"
#include "table/hand.h"
#include "table/payoff_table.h"
#include "table/rules.h"

// The table: one player against the dealer, rounds played from one shoe, each
// round's summed payoff booked at the true count the round started with.
class Simulator {
 public:
  // The shoe is reshuffled at the start of a round once this many cards are gone.
  static constexpr int kReshuffleDepth = 60;
  // A hand is ended with a warning on the decision after this many.
  static constexpr int kMaxDecisions = 21;
  // A split beyond this many hands in one round is refused, so that a player
  // rule that splits without end cannot grow a round without bound.
  static constexpr std::size_t kMaxHands = 256;

  Simulator(DealerRuleFn dealerRule, PlayerRuleFn playerRule, BetRuleFn betRule,
            bool doubleAfterSplit, bool resplitAllowed, int numDecks, bool valueMode);

  // Reshuffles once the reshuffle depth is reached and resets the hands.
  void newRound();
  // Plays rounds 1..rounds, with progress lines and, if verbose, a trace.
  void simulate(int rounds, bool verbose);

  void record(int count, double payoff) { payoffs_.record(count, payoff); }
  double payoffAt(int count) const { return payoffs_.payoffAt(count); }
  double frequencyAt(int count) const { return payoffs_.frequencyAt(count); }
  const PayoffTable& payoffTable() const { return payoffs_; }

  const Hand& dealer() const { return dealer_; }
  const std::vector<Hand>& hands() const { return hands_; }
  Deck& deck() { return deck_; }
  const Deck& deck() const { return deck_; }

 private:
  void playRound(int number, bool verbose);
  void printOpeningTrace(int number) const;
  void playPlayerTurn();
  void playHand(std::size_t k);
  void splitHand(std::size_t k);
  void playDealerTurn();
  double settle(bool verbose) const;
  void dealTo(Hand& hand) { hand.addCard(deck_.deal()); }

  Hand dealer_;
  std::vector<Hand> hands_;
  DealerRuleFn dealerRule_;
  PlayerRuleFn playerRule_;
  BetRuleFn betRule_;
  bool doubleAfterSplit_;
  bool resplitAllowed_;
  Deck deck_;
  PayoffTable payoffs_;
};
