#include "count/true_count.h"

#include <algorithm>

namespace {

constexpr int kHalfDeck = 26;
constexpr int kDeck = 52;

int clampedCount(int count) {
  return std::clamp(count, -kCountLimit, kCountLimit);
}

}  // namespace

int roundedQuotient(int numerator, int denominator, TrueCountRounding rounding) {
  const int toward = numerator / denominator;
  const int rest = numerator % denominator;
  switch (rounding) {
    case TrueCountRounding::Truncate:
      return toward;
    case TrueCountRounding::Floor:
      return rest < 0 ? toward - 1 : toward;
    case TrueCountRounding::Round: {
      // |rest| / denominator of a half or more goes one further from zero.
      const int away = rest < 0 ? -1 : 1;
      return 2 * (rest < 0 ? -rest : rest) >= denominator ? toward + away : toward;
    }
  }
  return toward;
}

int trueCountOf(int runningHalves, int cardsLeft, TrueCountConversion conversion) {
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
  return clampedCount(roundedQuotient(numerator, denominator, conversion.rounding));
}

int wholeRunningCount(int runningHalves, TrueCountRounding rounding) {
  return clampedCount(roundedQuotient(runningHalves, 2, rounding));
}
