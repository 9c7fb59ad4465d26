#pragma once

#include <array>
#include <string>
#include <vector>

#include "exact/card_counts.h"
#include "exact/expected_result.h"
#include "exact/up_card_engine.h"
#include "table/actions.h"
#include "table/game_rules.h"

// The values of a hand's actions in the round's terms (an original hand's),
// or joint with its being played on (a split hand's, see UpCardEngine).
struct ActionValues {
  ExpectedResult stand;
  ExpectedResult hit;
  ExpectedResult doubleDown;
  ExpectedResult split;
  ExpectedResult surrender;
};

// The best of the `allowed` actions. Ties: hitting wins one with standing and
// doubling every one; a split must be strictly better than keeping the pair,
// a surrender strictly better than every other allowed action.
int bestOf(const ActionValues& values, ActionSet allowed);

// How the exact engine plays: the total-dependent basic strategy of the shoe,
// or each hand by its own cards (composition-dependent).
enum class ExactPlay { TotalDependent, Composition };

// The most hands in a round the tables tell apart: beyond it no split value
// changes by the hand limit.
inline constexpr int kRoundSizes = 7;

// Total-dependent basic strategy for one shoe and the rules: one action for
// each kind of hand (its total, soft or hard, two cards or more, a pair or
// not) and up card, the action whose value summed over every hand of that
// kind, each weighted by its chance of being dealt from the shoe with the up
// card out of it, is best. Kept as those summed values, so that the decision
// for any set of allowed actions is a comparison of them.
struct UpCardTables {
  MultiCardPlay multiCard;
  // [soft][total]: two-card hands that are not pairs (round's values), and
  // whether any is dealt (none of hard 4 and 20, soft 12 and 21).
  std::array<std::array<ActionValues, 22>, 2> twoCard;
  std::array<std::array<bool, 22>, 2> twoCardDealt{};
  // [pair card - 1]: the pair kept, and its split's round value per
  // [hands in round - 1][may double].
  std::array<ActionValues, 10> pair;
  std::array<std::array<std::array<double, 2>, kRoundSizes>, 10> split{};
};

// Index [up card - 1], the ace 1.
struct TotalDependentTables {
  std::array<UpCardTables, 10> byUpCard;
};

TotalDependentTables totalDependentTables(const GameRules& rules, const CardCounts& shoe);

// Splitting the pair of `card` against the engine's up card, each hand played
// by its own cards, joint with the hands' being played on (as the engine's
// values are): what pricing a split for the shoe at hand needs.
ExpectedResult compositionSplit(UpCardEngine& engine, const GameRules& rules, int card,
                                int handsInRound, bool canDouble);

// One original two-card hand against one up card: its chance, its actions'
// values in the round's terms, the action played and the hand's result.
struct HandRow {
  int upCard = 0;
  int first = 0;
  int second = 0;
  double chance = 0.0;  // of this hand given the up card
  ActionSet allowed;
  ActionValues values;
  int action = Stand;  // Stand for a natural, which is paid at once
  bool natural = false;
  bool insured = false;
  ExpectedResult played;  // the hand as played, insurance included
};

// The round off the top of `shoe` (a fresh shoe, or one with cards removed):
// its expected return per initial stake, insurance included, and the chances
// of a win, push and loss (a split round's are its hands' shares), overall and
// per up card (index up - 1), and every original hand's row.
struct GameValue {
  ExpectedResult round;
  std::array<ExpectedResult, 10> byUpCard;
  std::array<double, 10> upCardChance{};
  std::vector<HandRow> hands;
};

GameValue gameValue(const GameRules& rules, const CardCounts& shoe, ExactPlay play);
