#include "table/player.h"

#include "deck/deck.h"

bool insuranceByPolicy(const Deck& deck, const Hand& dealer, const GameRules& rules, int count) {
  if (rules.insurance == Insurance::Count) {
    return count >= rules.insuranceCount;
  }
  if (rules.insurance != Insurance::Composition) {
    return false;
  }
  const bool holeCard = dealer.cards().size() > 1;
  const int unseen = deck.cardsLeft() + (holeCard ? 1 : 0);
  const int tens = deck.remaining(10) + (holeCard && dealer.cards()[1] == 10 ? 1 : 0);
  // A ten pays 2:1 on half the stake: worth taking above one chance in three.
  return 3 * tens > unseen;
}
