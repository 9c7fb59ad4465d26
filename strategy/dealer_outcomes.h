#pragma once

#include <array>

#include "strategy/draw_probabilities.h"

// Probability of each final dealer total, indexed by total: 17..21 stand, 22..31
// bust, 0..16 always zero. `drawSteps` is the number of draw steps it took.
struct DealerOutcomes {
  static constexpr int kTotals = 32;

  std::array<double, kTotals> probability{};
  int drawSteps = 0;

  double operator[](int total) const { return probability[total]; }
};

// Dealer modes: 0 hits soft 17 (the house rule), 1 stands on soft 17. Any other
// mode plays as 0. A start outside 0..31 has no outcome: all entries stay zero.
DealerOutcomes computeDealerOutcomes(const DrawProbabilities& p, int startTotal, bool startSoft,
                                     int dealerMode);
