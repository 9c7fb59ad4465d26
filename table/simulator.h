#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "deck/deck.h"
#include "table/game_rules.h"
#include "table/hand.h"
#include "table/payoff_table.h"
#include "table/rules.h"
#include "table/table_observer.h"

// One round's outcome: the summed payoff of its hands, the whole true count it
// is booked at (truncated toward zero) and how many times the player rule was
// asked.
struct RoundResult {
  int count = 0;
  double payoff = 0.0;
  int decisions = 0;
};

// The table: one player against the dealer, rounds played from one shoe, each
// round's summed payoff booked at the true count the round started with.
class Simulator {
 public:
  // A plain rule function, or any callable that decides for the player.
  using PlayerDecision = std::function<int(DecisionContext)>;

  // A hand is ended with a warning on the decision after this many.
  static constexpr int kMaxDecisions = 21;
  // A split beyond this many hands in one round is refused, so that a player
  // rule that splits without end cannot grow a round without bound.
  static constexpr std::size_t kMaxHands = 256;
  static constexpr std::size_t kReservedHands = 8;

  // The shoe shuffles from `random` and events go to `observer`; both must
  // outlive the table.
  Simulator(DealerRuleFn dealerRule, PlayerDecision playerRule, BetRuleFn betRule,
            const GameRules& rules, RandomSource& random,
            TableObserver& observer = TableObserver::silent());

  // Reshuffles once the reshuffle point is reached and resets the hands.
  void newRound();
  // Plays rounds 1..rounds, booking each in the payoff table, with progress
  // events and, if verbose, a trace.
  void simulate(int rounds, bool verbose);
  // Plays one round without booking it.
  RoundResult playRound(int number, bool verbose);

  void record(int count, double payoff) { payoffs_.record(count, payoff); }
  double payoffAt(int count) const { return payoffs_.payoffAt(count); }
  double frequencyAt(int count) const { return payoffs_.frequencyAt(count); }
  const PayoffTable& payoffTable() const { return payoffs_; }

  const GameRules& rules() const { return rules_; }
  const Hand& dealer() const { return dealer_; }
  const std::vector<Hand>& hands() const { return hands_; }
  Deck& deck() { return deck_; }
  const Deck& deck() const { return deck_; }

 private:
  int playPlayerTurn();
  int playHand(std::size_t k);
  void splitHand(std::size_t k);
  void playDealerTurn();
  double settle() const;
  void dealTo(Hand& hand);

  Hand dealer_;
  std::vector<Hand> hands_;
  DealerRuleFn dealerRule_;
  PlayerDecision playerRule_;
  BetRuleFn betRule_;
  GameRules rules_;
  TableObserver* observer_;
  Deck deck_;
  PayoffTable payoffs_;
};
