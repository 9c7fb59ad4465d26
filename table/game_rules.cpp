#include "table/game_rules.h"

bool GameRules::pricesSplitsAsPlayed() const {
  if (splitPricing != SplitPricing::Auto) {
    return splitPricing == SplitPricing::Played;
  }
  // truecount's formula is kept, bit for bit, exactly for truecount's splits.
  const bool truecountSplits = afterSplit == AfterSplit::KeepFirst && splitAces == SplitAces::Hit &&
                               resplitAces && maxHands == kNoHandLimit &&
                               doubleOn == DoubleOn::Any && splitTwentyOnePaysBlackjack && peeks();
  return !truecountSplits;
}
