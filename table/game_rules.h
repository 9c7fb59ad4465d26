#pragma once

// What the two hands of a split pair may do next.
enum class AfterSplit {
  // The hand the pair came from keeps its permissions; the new hand may
  // neither double nor split.
  KeepFirst,
  NoDoubleNoSplit,  // neither hand may double or split again
  DoubleNoSplit,    // both may double, neither may split again
  DoubleAndSplit,   // both may double and split again
};

// The house rules of one table, with the house defaults of truecount's game.
// The table, the dealer's rule and the player's strategy all read them here,
// so that no rule lives in two places.
struct GameRules {
  int decks = 2;
  // The shoe is reshuffled at the start of a round once this many cards are gone.
  int reshuffleAfter = 60;
  bool dealerHitsSoft17 = true;
  AfterSplit afterSplit = AfterSplit::KeepFirst;
  // A two-card 21 on a hand of a split pair pays 3:2 like a blackjack, or 1:1.
  bool splitTwentyOnePaysBlackjack = true;

  // The strategy engine's dealer mode: 0 hits soft 17, 1 stands on it.
  int dealerMode() const { return dealerHitsSoft17 ? 0 : 1; }
};

// truecount's own table.
inline constexpr GameRules kHouseRules{};
