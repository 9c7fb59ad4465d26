#pragma once

#include <array>

#include "deck/deck.h"

// p(v) = remaining(v) / cardsLeft for the values v = 1..10 (index 0 unused).
// One set prices every draw of a calculation: imagined draws do not deplete.
// An empty shoe gives all zeros rather than 0 / 0.
using DrawProbabilities = std::array<double, 11>;

inline DrawProbabilities drawProbabilities(const Deck& deck) {
  DrawProbabilities p{};
  const int cardsLeft = deck.cardsLeft();
  if (cardsLeft == 0) {
    return p;
  }
  for (int v = 1; v <= 10; ++v) {
    p[v] = static_cast<double>(deck.remaining(v)) / static_cast<double>(cardsLeft);
  }
  return p;
}

// The same for the undealt cards and one more card the player is not shown
// (the dealer's hole card, value 1..10), priced as if it were undealt: what a
// player can know. Any other value adds no card.
inline DrawProbabilities drawProbabilitiesWith(const Deck& deck, int extraValue) {
  if (extraValue < 1 || extraValue > 10) {
    return drawProbabilities(deck);
  }
  DrawProbabilities p{};
  const int cards = deck.cardsLeft() + 1;
  for (int v = 1; v <= 10; ++v) {
    const int remaining = deck.remaining(v) + (v == extraValue ? 1 : 0);
    p[v] = static_cast<double>(remaining) / static_cast<double>(cards);
  }
  return p;
}

// The larger of a and b, b on a tie: ties must resolve exactly this way.
inline double larger(double a, double b) {
  return a > b ? a : b;
}
