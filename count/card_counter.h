#pragma once

#include <array>

#include "count/count_system.h"
#include "count/true_count.h"
#include "deck/deck.h"

// truecount's booking of the shoe's true count: truncated toward zero; it
// always lies within -52..52.
inline int truecountCount(const Deck& deck) {
  return static_cast<int>(deck.trueCount());
}

// The count a player keeps of the cards seen since the last shuffle. The table
// shows it each card as it becomes visible (see Simulator) and resets it when
// the shoe is shuffled; the player reads the whole count it decides by.
//
// Without a system it is truecount's count: the composition of the undealt
// cards, truncated toward zero. That count needs no card shown: it reads the
// shoe itself, and so in effect sees the hole card and the whole rest of the
// shoe.
class CardCounter {
 public:
  // truecount's count.
  CardCounter() = default;
  CardCounter(const CountSystem& system, int decks, TrueCountConversion conversion);

  void shuffled() { runningHalves_ = initialHalves_; }
  // A card of value 1..10 turned face up.
  void see(int card) { runningHalves_ += halfTags_[card]; }

  int runningHalves() const { return runningHalves_; }
  // The whole count booked, bet, deviated and insured by, in -60..60: the
  // true count of a balanced system, the running count of an unbalanced one,
  // truecount's count without a system.
  int count(const Deck& deck) const {
    if (!keepsCount_) {
      return truecountCount(deck);
    }
    if (!balanced_) {
      return wholeRunningCount(runningHalves_, conversion_.rounding);
    }
    return trueCountOf(runningHalves_, deck.cardsLeft(), conversion_);
  }

 private:
  std::array<int, 11> halfTags_{};
  int initialHalves_ = 0;
  int runningHalves_ = 0;
  TrueCountConversion conversion_;
  bool keepsCount_ = false;
  bool balanced_ = true;
};
