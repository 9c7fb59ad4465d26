#pragma once

// What the two hands of a split pair may do next.
enum class AfterSplit {
  // The hand the pair came from keeps its permissions; the new hand may
  // neither double nor split.
  KeepFirst,
  NoDoubleNoSplit,  // neither hand may double or split again
  DoubleNoSplit,    // both may double, neither may split again
  DoubleAndSplit,   // both may double and split again
  SplitNoDouble,    // both may split again, neither may double
};

// What a blackjack dealt as such pays, per unit staked.
enum class BlackjackPays { ThreeToTwo, SixToFive, OneToOne, TwoToOne };

// When the original two-card hand may give up half its stake: never; after the
// dealer's peek (late); or before it (early), whatever the up card.
enum class SurrenderRule { None, Late, Early };

// Split aces play like any split hand, or take exactly one card each.
enum class SplitAces { Hit, OneCard };

// The two-card totals that may double: any, or hard 9 to 11, or hard 10 and 11.
enum class DoubleOn { Any, NineToEleven, TenToEleven };

// The dealer takes the hole card with the deal and peeks for a blackjack, or
// takes it only after the player's turn (no hole card).
enum class HoleCard { Peek, None };

// When the player takes insurance: never, when the cards the player cannot
// see hold tens more than one in three, or at a whole true count of
// insuranceCount and above (by the count the player keeps).
enum class Insurance { Never, Composition, Count };

// How the strategy engine prices a split: as truecount does (two hands that
// neither double nor split again, a split 21 paid as any 21), as the rules
// play it, or as truecount does exactly when every rule bearing on splits is
// truecount's and as played otherwise.
enum class SplitPricing { Auto, Truecount, Played };

// The house rules of one table, with the house defaults of truecount's game.
// The table, the dealer's rule and the player's strategy all read them here,
// so that no rule lives in two places. The player's standing choices
// (insurance, split pricing) live here too: every strategy and the table are
// handed these rules and nothing else, so a choice kept elsewhere would need a
// second path to every decision.
struct GameRules {
  // Without a hand limit, a round may still not split beyond this many hands,
  // so that a player rule that splits without end cannot grow it for ever.
  static constexpr int kHandGuard = 256;
  static constexpr int kNoHandLimit = 0;

  int decks = 2;
  // The shoe is reshuffled at the start of a round once this many cards are gone.
  int reshuffleAfter = 60;
  bool dealerHitsSoft17 = true;
  AfterSplit afterSplit = AfterSplit::KeepFirst;
  // A two-card 21 on a hand of a split pair pays 3:2 and counts as a
  // blackjack, or is any 21 and pays 1:1.
  bool splitTwentyOnePaysBlackjack = true;
  BlackjackPays blackjackPays = BlackjackPays::ThreeToTwo;
  SurrenderRule surrender = SurrenderRule::None;
  SplitAces splitAces = SplitAces::Hit;
  // Whether a split ace that draws another ace may split again (where the
  // after-split rule lets that hand split at all).
  bool resplitAces = true;
  // The most hands a round may split to: kNoHandLimit, or 2 to 8.
  int maxHands = kNoHandLimit;
  DoubleOn doubleOn = DoubleOn::Any;
  HoleCard holeCard = HoleCard::Peek;
  Insurance insurance = Insurance::Never;
  int insuranceCount = 0;
  SplitPricing splitPricing = SplitPricing::Auto;

  // The strategy engine's dealer mode: 0 hits soft 17, 1 stands on it.
  int dealerMode() const { return dealerHitsSoft17 ? 0 : 1; }
  bool peeks() const { return holeCard == HoleCard::Peek; }
  // The most hands a round may hold.
  int handLimit() const { return maxHands == kNoHandLimit ? kHandGuard : maxHands; }
  // Whether the engine prices splits as played (see SplitPricing).
  bool pricesSplitsAsPlayed() const;
};

// truecount's own table.
inline constexpr GameRules kHouseRules{};
