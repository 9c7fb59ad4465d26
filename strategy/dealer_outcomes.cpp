#include "strategy/dealer_outcomes.h"

namespace {

constexpr int kHardStandTotal = 17;
constexpr int kTopTotal = 21;
constexpr int kTotals = DealerOutcomes::kTotals;
using Totals = std::array<double, kTotals>;

int softStandTotal(int dealerMode) {
  return dealerMode == 1 ? 17 : 18;
}

bool anyDrawing(const Totals& hard, const Totals& soft, int softStand) {
  for (int t = 0; t < kHardStandTotal; ++t) {
    if (hard[t] != 0.0) {
      return true;
    }
  }
  for (int t = 0; t < softStand; ++t) {
    if (soft[t] != 0.0) {
      return true;
    }
  }
  return false;
}

}  // namespace

DealerOutcomes computeDealerOutcomes(const DrawProbabilities& p, int startTotal, bool startSoft,
                                     int dealerMode) {
  DealerOutcomes result;
  if (startTotal < 0 || startTotal >= kTotals) {
    return result;
  }
  const int softStand = softStandTotal(dealerMode);
  Totals hard{};
  Totals soft{};
  (startSoft ? soft : hard)[startTotal] = 1.0;

  // Each step moves all still-drawing probability by exactly one card. The
  // additions keep their order: hard draws, soft draws, then the carries.
  while (anyDrawing(hard, soft, softStand)) {
    ++result.drawSteps;
    Totals nextHard{};
    Totals nextSoft{};
    for (int t = 0; t < kHardStandTotal; ++t) {
      if (hard[t] == 0.0) {
        continue;
      }
      const double q1 = p[1] * hard[t];
      if (t <= 10) {
        nextSoft[t + 11] += q1;
      } else {
        nextHard[t + 1] += q1;
      }
      for (int v = 2; v <= 10; ++v) {
        nextHard[t + v] += p[v] * hard[t];
      }
    }
    for (int t = 0; t < softStand; ++t) {
      if (soft[t] == 0.0) {
        continue;
      }
      for (int v = 1; v <= 10; ++v) {
        const double q = p[v] * soft[t];
        if (t + v <= kTopTotal) {
          nextSoft[t + v] += q;
        } else {
          nextHard[t + v - 10] += q;
        }
      }
    }
    for (int t = kHardStandTotal; t < kTotals; ++t) {
      nextHard[t] += hard[t];
    }
    for (int t = softStand; t < kTotals; ++t) {
      nextSoft[t] += soft[t];
    }
    hard = nextHard;
    soft = nextSoft;
  }
  for (int t = 0; t < kTotals; ++t) {
    result.probability[t] = hard[t] + soft[t];
  }
  return result;
}

DealerOutcomes Deck::dealerOutcomes(int startTotal, bool startSoft, int dealerMode) const {
  return computeDealerOutcomes(drawProbabilities(*this), startTotal, startSoft, dealerMode);
}
