#pragma once

// How a running count becomes the whole true count a player books, bets,
// deviates and insures by.
enum class TrueCountRounding { Truncate, Floor, Round };
// How the player estimates the decks left from the cards still in the shoe:
// exactly (cards / 52), or to the nearest half or whole deck, as a player
// reading the discard tray does, with a floor of one half or one deck.
enum class DeckEstimate { Exact, Half, Whole };

struct TrueCountConversion {
  TrueCountRounding rounding = TrueCountRounding::Truncate;
  DeckEstimate estimate = DeckEstimate::Exact;
  bool operator==(const TrueCountConversion&) const = default;
};

#include <algorithm>

// Every count is booked in -60..60: a count beyond lands in the end slot.
inline constexpr int kCountLimit = 60;

// numerator / denominator (> 0) rounded to a whole number by the rule: toward
// zero, down, or to the nearest with halves away from zero.
inline int roundedQuotient(int numerator, int denominator, TrueCountRounding rounding) {
  const int toward = numerator / denominator;
  const int rest = numerator % denominator;
  switch (rounding) {
    case TrueCountRounding::Truncate:
      return toward;
    case TrueCountRounding::Floor:
      return rest < 0 ? toward - 1 : toward;
    case TrueCountRounding::Round:
      // |rest| / denominator of a half or more goes one further from zero.
      return 2 * (rest < 0 ? -rest : rest) >= denominator ? toward + (rest < 0 ? -1 : 1) : toward;
  }
  return toward;
}

// The whole true count of a running count of `runningHalves` half points with
// `cardsLeft` cards in the shoe, clamped to -60..60. The decks left are
// cardsLeft / 52 (at least one card), or cardsLeft rounded to the nearest
// multiple of 26 (at least 26) or of 52 (at least 52); a card count exactly
// between two estimates takes the larger.
inline int trueCountOf(int runningHalves, int cardsLeft, TrueCountConversion conversion) {
  constexpr int kHalfDeck = 26;
  constexpr int kDeck = 52;
  // running / decks = (halves / 2) / decks, kept as one integer fraction. A
  // running count of eight decks stays within 20 x 416 half points, so 26
  // times it is far inside int.
  int numerator = runningHalves;
  int denominator = 1;
  switch (conversion.estimate) {
    case DeckEstimate::Exact:  // (h / 2) / (c / 52) = 26 h / c
      numerator *= kHalfDeck;
      denominator = std::max(cardsLeft, 1);
      break;
    case DeckEstimate::Half:  // (h / 2) / (n / 2) with n half decks
      denominator = std::max((cardsLeft + kHalfDeck / 2) / kHalfDeck, 1);
      break;
    case DeckEstimate::Whole:  // (h / 2) / n with n decks
      denominator = 2 * std::max((cardsLeft + kDeck / 2) / kDeck, 1);
      break;
  }
  return std::clamp(roundedQuotient(numerator, denominator, conversion.rounding), -kCountLimit,
                    kCountLimit);
}

// The running count in whole points, rounded by the rule and clamped to
// -60..60: what an unbalanced count books and bets by.
inline int wholeRunningCount(int runningHalves, TrueCountRounding rounding) {
  return std::clamp(roundedQuotient(runningHalves, 2, rounding), -kCountLimit, kCountLimit);
}
