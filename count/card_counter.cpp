#include "count/card_counter.h"

CardCounter::CardCounter(const CountSystem& system, int decks, TrueCountConversion conversion)
    : halfTags_(system.halfTags),
      initialHalves_(system.initialHalves(decks)),
      runningHalves_(initialHalves_),
      conversion_(conversion),
      keepsCount_(true),
      balanced_(system.balanced()) {}

int CardCounter::count(const Deck& deck) const {
  if (!keepsCount_) {
    return truecountCount(deck);
  }
  if (!balanced_) {
    return wholeRunningCount(runningHalves_, conversion_.rounding);
  }
  return trueCountOf(runningHalves_, deck.cardsLeft(), conversion_);
}
