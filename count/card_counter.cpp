#include "count/card_counter.h"

CardCounter::CardCounter(const CountSystem& system, int decks, TrueCountConversion conversion)
    : halfTags_(system.halfTags),
      initialHalves_(system.initialHalves(decks)),
      runningHalves_(initialHalves_),
      conversion_(conversion),
      keepsCount_(true),
      balanced_(system.balanced()) {}
