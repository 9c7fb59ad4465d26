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

// Every count is booked in -60..60: a count beyond lands in the end slot.
inline constexpr int kCountLimit = 60;

// numerator / denominator (> 0) rounded to a whole number by the rule: toward
// zero, down, or to the nearest with halves away from zero.
int roundedQuotient(int numerator, int denominator, TrueCountRounding rounding);

// The whole true count of a running count of `runningHalves` half points with
// `cardsLeft` cards in the shoe, clamped to -60..60. The decks left are
// cardsLeft / 52 (at least one card), or cardsLeft rounded to the nearest
// multiple of 26 (at least 26) or of 52 (at least 52); a card count exactly
// between two estimates takes the larger.
int trueCountOf(int runningHalves, int cardsLeft, TrueCountConversion conversion);

// The running count in whole points, rounded by the rule and clamped to
// -60..60: what an unbalanced count books and bets by.
int wholeRunningCount(int runningHalves, TrueCountRounding rounding);
