#include "strategy/decision_table.h"

#include <array>

#include "strategy/dealer_outcomes.h"

namespace {

constexpr int kRows = DecisionTable::kRows;
constexpr int kTop = DecisionTable::kTopTotal;
constexpr int kAce = 11;

// The chance that the hole card completes a blackjack behind `upCard`.
double blackjackChance(const DrawProbabilities& p, int upCard) {
  return upCard == 10 ? p[1] : upCard == kAce ? p[10] : 0.0;
}

// The dealer's final totals as the values use them. Where he peeks: given that
// he has no blackjack, since the player is only asked to decide when the peek
// found none. Where he does not: every final total but the blackjack, whose
// chance setStandValues takes out of each value apart.
DealerOutcomes dealerOutcomesFor(const DrawProbabilities& p, int upCard, DealerGame game) {
  if (upCard < 2 || upCard > kAce) {
    return DealerOutcomes{};
  }
  DealerOutcomes d = computeDealerOutcomes(p, upCard, upCard == kAce, game.dealerMode);
  const double h = blackjackChance(p, upCard);
  if (!game.peeks) {
    d.probability[21] -= h;
  } else if (h != 0.0 && h != 1.0) {
    // h == 1.0 means every undealt card completes a blackjack: there is no
    // hand without one to condition on, so the distribution is kept as it is.
    d.probability[21] -= h;
    const double f = 1.0 / (1.0 - h);
    for (double& entry : d.probability) {
      entry *= f;
    }
  }
  return d;
}

void setBustRows(DecisionTable& table) {
  for (int n = kTop + 1; n < kRows; ++n) {
    for (DecisionEntry* e : {&table[n].hard, &table[n].soft}) {
      e->bestValue = -1.0;
      e->standValue = -1.0;
      e->hitValue = -1.0;
      e->doubleValue = -2.0;
      e->action = Stand;
    }
  }
}

// A push counts nothing; every total the dealer ends below or busts with wins,
// and a blackjack the dealer does not peek for loses. Only the dealer's
// possible totals enter the sums, in ascending order: adding an exact zero
// would leave them unchanged, and so does taking away a zero blackjack loss.
// Every player total below the dealer's lowest possible total sums the same
// terms, so stands alike.
void setStandValues(DecisionTable& table, const DealerOutcomes& d, double blackjackLoss) {
  std::array<int, DealerOutcomes::kTotals> possible{};
  int count = 0;
  for (int k = 0; k < DealerOutcomes::kTotals; ++k) {
    if (d[k] != 0.0) {
      possible[count++] = k;
    }
  }
  const int lowestDistinct = count > 0 && possible[0] <= kTop ? possible[0] - 1 : 0;
  for (int j = kTop; j >= 0; --j) {
    double stand = table[j + 1].hard.standValue;
    if (j >= lowestDistinct) {
      double win = 0.0;
      double loss = 0.0;
      for (int i = 0; i < count; ++i) {
        const int k = possible[i];
        if (k > kTop || k < j) {
          win += d[k];
        } else if (k > j) {
          loss += d[k];
        }
      }
      stand = win - loss - blackjackLoss;
    }
    table[j].hard.standValue = table[j].hard.bestValue = stand;
    table[j].soft.standValue = table[j].soft.bestValue = stand;
  }
}

// Doubling takes exactly one card and stands, so it reads stand values only.
void setDoubleValues(DecisionTable& table, const DrawProbabilities& p, DecisionBounds bounds) {
  for (int n = kTop; n >= bounds.lowestHard; --n) {
    double sum = 0.0;
    sum += p[1] * larger(table[n + 1].hard.standValue, table[n + 11].hard.standValue);
#pragma GCC unroll 9
    for (int v = 2; v <= 10; ++v) {
      sum += p[v] * table[n + v].hard.standValue;
    }
    table[n].hard.doubleValue = 2.0 * sum;
  }
  for (int n = kTop; n >= bounds.lowestSoft; --n) {
    double sum = 0.0;
    for (int v = 1; v <= 10; ++v) {
      const double y = n + v > 10
                           ? larger(table[n + v].soft.standValue, table[n + v - 10].soft.standValue)
                           : table[n + v].soft.standValue;
      sum += p[v] * y;
    }
    table[n].soft.doubleValue = 2.0 * sum;
  }
}

// A hard total plus an ace is hard n + 1 or soft n + 11, whichever plays better.
void setHardHitValues(DecisionTable& table, const DrawProbabilities& p, int lowest) {
  for (int n = kTop; n >= lowest; --n) {
    double sum = 0.0;
    sum += p[1] * larger(table[n + 1].hard.bestValue, table[n + 11].soft.bestValue);
#pragma GCC unroll 9
    for (int v = 2; v <= 10; ++v) {
      sum += p[v] * table[n + v].hard.bestValue;
    }
    DecisionEntry& e = table[n].hard;
    e.hitValue = sum;
    e.bestValue = larger(e.standValue, sum);
  }
}

// Past 10 a soft total's ace may fall back to 1: the hand goes on as hard n + v - 10.
void setSoftHitValues(DecisionTable& table, const DrawProbabilities& p, int lowest) {
  for (int n = kTop; n >= lowest; --n) {
    double sum = 0.0;
    for (int v = 1; v <= 10; ++v) {
      const double w = n + v > 10
                           ? larger(table[n + v].soft.bestValue, table[n + v - 10].hard.bestValue)
                           : table[n + v].soft.bestValue;
      sum += p[v] * w;
    }
    DecisionEntry& e = table[n].soft;
    e.hitValue = sum;
    e.bestValue = larger(e.standValue, sum);
  }
}

// Doubling wins every tie; hitting wins a tie with standing.
int advisedAction(const DecisionEntry& e) {
  const double m = larger(larger(e.standValue, e.hitValue), e.doubleValue);
  int action = Stand;
  if (m == e.hitValue) {
    action = Hit;
  }
  if (m == e.doubleValue) {
    action = e.standValue > e.hitValue ? DoubleElseStand : DoubleElseHit;
  }
  return action;
}

void setActions(DecisionTable& table, DecisionBounds bounds) {
  for (int n = bounds.lowestHard; n <= kTop; ++n) {
    table[n].hard.action = advisedAction(table[n].hard);
  }
  for (int n = bounds.lowestSoft; n <= kTop; ++n) {
    table[n].soft.action = advisedAction(table[n].soft);
  }
}

// Split hands neither double nor split again, so each plays by its best value.
// The ace pair (rows 2 and 22) splits into two soft 11s; kept, it is a soft 12.
// Rows whose values lie below the bounds are left unadvised.
void setSplitValues(DecisionTable& table, DecisionBounds bounds) {
  for (int j = 0; j < kRows; ++j) {
    const bool acePair = j == 2 || j == 22;
    if (acePair ? bounds.lowestSoft > 11 : j / 2 < bounds.lowestHard) {
      continue;
    }
    double split = 0.0;
    double keep = 0.0;
    if (acePair) {
      split = 2.0 * table[11].soft.bestValue;
      keep = larger(table[12].soft.bestValue, table[12].soft.doubleValue);
    } else {
      split = 2.0 * table[j / 2].hard.bestValue;
      keep = larger(table[j].hard.bestValue, table[j].hard.doubleValue);
    }
    table[j].splitValue = split;
    table[j].splitAdvised = keep < split;
  }
}

}  // namespace

DecisionTable Deck::buildDecisionTable(int upCard, int dealerMode) const {
  return buildDecisionTable(upCard, dealerMode, DecisionBounds::full());
}

DecisionTable Deck::buildDecisionTable(int upCard, int dealerMode,
                                       const DecisionBounds& bounds) const {
  return ::buildDecisionTable(drawProbabilities(*this), upCard, dealerMode, bounds);
}

DecisionTable buildDecisionTable(const DrawProbabilities& p, int upCard, DealerGame dealer,
                                 const DecisionBounds& bounds) {
  const int up = upCard == 1 ? kAce : upCard;
  const DealerOutcomes d = dealerOutcomesFor(p, up, dealer);
  DecisionTable table;
  table.dealerBlackjack = blackjackChance(p, up);
  setBustRows(table);
  setStandValues(table, d, dealer.peeks ? 0.0 : table.dealerBlackjack);
  setDoubleValues(table, p, bounds);
  // Exactly two passes: the first hard pass sees soft rows at their stand values.
  for (int pass = 0; pass < 2; ++pass) {
    setHardHitValues(table, p, bounds.lowestHard);
    setSoftHitValues(table, p, bounds.lowestSoft);
  }
  setActions(table, bounds);
  setSplitValues(table, bounds);
  return table;
}
