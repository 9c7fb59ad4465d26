#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "deck/deck.h"

// Shoes for the strategy tests, all two decks in value mode.

// Every value 1..10, as in a fresh shoe.
inline const std::vector<int> kFresh{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// A fresh shoe with every card whose value is not in `keep` dealt.
inline Deck shoeOf(const std::vector<int>& keep) {
  Deck deck(2, true);
  for (int v = 1; v <= 10; ++v) {
    const std::array<int, 1> card{v};
    while (std::ranges::count(keep, v) == 0 && deck.stackNext(card)) {
      deck.deal();
    }
  }
  return deck;
}

// A shoe shuffled after srand(seed) and dealt down to `left` cards.
inline Deck dealtDown(unsigned seed, int left) {
  std::srand(seed);
  Deck deck(2, true);
  while (deck.cardsLeft() > left) {
    deck.deal();
  }
  return deck;
}
