#pragma once

#include <array>

#include "strategy/draw_probabilities.h"
#include "table/game_rules.h"
#include "table/rules.h"

// Expected results per unit of stake for one player total, hard or soft.
struct DecisionEntry {
  double bestValue = 0.0;  // the better of standing and hitting
  int action = Stand;      // Stand, Hit, DoubleElseHit or DoubleElseStand
  double doubleValue = 0.0;
  double standValue = 0.0;
  double hitValue = 0.0;
};

struct DecisionRow {
  DecisionEntry hard;
  DecisionEntry soft;
  bool splitAdvised = false;  // for the pair whose two cards make this total
  double splitValue = 0.0;
};

// How far down a table is computed. Every row is built only from the rows above
// it (a soft row also from the hard rows up to nine below it), so a decision that
// reads only high rows may stop early: the rows it computes are bit for bit those
// of the full table. Below the bounds only the stand values are filled in; the
// other values there stay zero and no split is advised.
struct DecisionBounds {
  int lowestHard = 0;
  int lowestSoft = 0;

  static constexpr DecisionBounds full() { return {}; }
  // The smallest bounds under which the hard row `hardRow` and the soft row
  // `softRow` (22 for none) come out as in the full table.
  static constexpr DecisionBounds covering(int hardRow, int softRow) {
    const int softReach = softRow > 9 ? softRow - 9 : 0;
    const int lowestHard = hardRow < softReach ? hardRow : softReach;
    const int lowestSoft = softRow < lowestHard + 11 ? softRow : lowestHard + 11;
    return {lowestHard < 0 ? 0 : lowestHard, lowestSoft < 0 ? 0 : lowestSoft};
  }
};

// Rows indexed by the player's total 0..32; rows 22..32 are bust totals.
struct DecisionTable {
  static constexpr int kRows = 33;
  static constexpr int kTopTotal = 21;

  std::array<DecisionRow, kRows> rows{};
  // The chance that the up card and the next card make a dealer blackjack.
  // Where the dealer peeks, the values are given that he has none; where he
  // does not, a blackjack takes every stake a hand holds, priced in each value.
  double dealerBlackjack = 0.0;

  DecisionRow& operator[](int total) { return rows[total]; }
  const DecisionRow& operator[](int total) const { return rows[total]; }
};

// The dealer's side of the game as the values see it: his soft-17 rule (a
// dealer mode, see computeDealerOutcomes) and whether he peeks.
struct DealerGame {
  int dealerMode = 0;
  bool peeks = true;
};

inline DealerGame dealerGameOf(const GameRules& rules) {
  return {rules.dealerMode(), rules.peeks()};
}

// The table for the dealer's up card (1 or 11 for the ace) over the draw
// probabilities `p`, computed down to `bounds`.
DecisionTable buildDecisionTable(const DrawProbabilities& p, int upCard, DealerGame dealer,
                                 const DecisionBounds& bounds = DecisionBounds::full());
// The same for a dealer who peeks.
inline DecisionTable buildDecisionTable(const DrawProbabilities& p, int upCard, int dealerMode,
                                        const DecisionBounds& bounds = DecisionBounds::full()) {
  return buildDecisionTable(p, upCard, DealerGame{dealerMode, true}, bounds);
}
