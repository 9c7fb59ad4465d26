#include "strategy/dealer_outcomes.h"

#include <utility>

namespace {

constexpr int kHardStandTotal = 17;
constexpr int kTopTotal = 21;
constexpr int kTotals = DealerOutcomes::kTotals;
using Totals = std::array<double, kTotals>;

int softStandTotal(int dealerMode) {
  return dealerMode == 1 ? 17 : 18;
}

// The totals t in [low, high] that may hold probability; empty when low > high.
struct Span {
  int low = kTotals;
  int high = -1;

  void include(int t) {
    low = t < low ? t : low;
    high = t > high ? t : high;
  }
  bool empty() const { return low > high; }
  void include(Span other) {
    if (!other.empty()) {
      include(other.low);
      include(other.high);
    }
  }
};

// The dealer's hands after some number of draws, by hard and by soft total.
// The spans bound where probability may lie, so that a step skips the rest.
class Stage {
 public:
  Totals hard{};
  Totals soft{};
  Span hardDrawing;  // hard totals below the hard stand total
  Span softDrawing;  // soft totals below the soft stand total
  Span hardFinished;
  Span softFinished;

  // Hard totals low..high, which may straddle the stand total.
  void placeHard(int low, int high) {
    place(hardDrawing, hardFinished, low, high, kHardStandTotal);
  }
  // Soft totals low..high, which may straddle the soft stand total.
  void placeSoft(int low, int high, int softStand) {
    place(softDrawing, softFinished, low, high, softStand);
  }
  // True while some drawing total holds a probability other than exactly zero.
  bool drawing() const { return anyNonZero(hard, hardDrawing) || anyNonZero(soft, softDrawing); }

 private:
  static void place(Span& drawing, Span& finished, int low, int high, int stand) {
    if (low < stand) {
      drawing.include(low);
      drawing.include(high < stand ? high : stand - 1);
    }
    if (high >= stand) {
      finished.include(low < stand ? stand : low);
      finished.include(high);
    }
  }
  static bool anyNonZero(const Totals& totals, Span span) {
    for (int t = span.low; t <= span.high; ++t) {
      if (totals[t] != 0.0) {
        return true;
      }
    }
    return false;
  }
};

// A drawing hard total t takes a card: an ace makes soft t + 11 while that is
// at most 21, hard t + 1 otherwise; a card 2..10 makes hard t + v.
void drawFromHard(const DrawProbabilities& p, const Stage& from, Stage& to, int softStand) {
  Span sources;
  for (int t = from.hardDrawing.low; t <= from.hardDrawing.high; ++t) {
    const double h = from.hard[t];
    if (h == 0.0) {
      continue;
    }
    sources.include(t);
    (t <= 10 ? to.soft[t + 11] : to.hard[t + 1]) += p[1] * h;
#pragma GCC unroll 9
    for (int v = 2; v <= 10; ++v) {
      to.hard[t + v] += p[v] * h;
    }
  }
  if (sources.empty()) {
    return;
  }
  if (sources.low <= 10) {
    to.placeSoft(sources.low + 11, (sources.high <= 10 ? sources.high : 10) + 11, softStand);
  }
  if (sources.high >= 11) {
    to.placeHard((sources.low >= 11 ? sources.low : 11) + 1, sources.high + 1);
  }
  to.placeHard(sources.low + 2, sources.high + 10);
}

// A drawing soft total t takes a card: soft t + v while that is at most 21;
// past it the ace counts 1 again and the hand is hard t + v - 10 (12 and up).
void drawFromSoft(const DrawProbabilities& p, const Stage& from, Stage& to, int softStand) {
  for (int t = from.softDrawing.low; t <= from.softDrawing.high; ++t) {
    const double s = from.soft[t];
    if (s == 0.0) {
      continue;
    }
    for (int v = 1; v <= 10; ++v) {
      const bool staysSoft = t + v <= kTopTotal;
      (staysSoft ? to.soft : to.hard)[staysSoft ? t + v : t + v - 10] += p[v] * s;
    }
    to.placeSoft(t + 1, t + 10 <= kTopTotal ? t + 10 : kTopTotal, softStand);
    if (t + 10 > kTopTotal) {
      to.placeHard(kTopTotal + 1 - 10, t);
    }
  }
}

void carryFinished(const Stage& from, Stage& to) {
  for (int t = from.hardFinished.low; t <= from.hardFinished.high; ++t) {
    to.hard[t] += from.hard[t];
  }
  for (int t = from.softFinished.low; t <= from.softFinished.high; ++t) {
    to.soft[t] += from.soft[t];
  }
  to.hardFinished.include(from.hardFinished);
  to.softFinished.include(from.softFinished);
}

// One draw step: every still-drawing hand takes one card, finished hands carry
// over. The additions keep their order: hard draws by ascending total and card,
// then soft draws, then the carries. Totals holding exactly zero are skipped,
// since adding zero changes no sum.
void drawStep(const DrawProbabilities& p, const Stage& from, Stage& to, int softStand) {
  to = Stage{};
  drawFromHard(p, from, to, softStand);
  drawFromSoft(p, from, to, softStand);
  carryFinished(from, to);
}

}  // namespace

DealerOutcomes computeDealerOutcomes(const DrawProbabilities& p, int startTotal, bool startSoft,
                                     int dealerMode) {
  DealerOutcomes result;
  if (startTotal < 0 || startTotal >= kTotals) {
    return result;
  }
  const int softStand = softStandTotal(dealerMode);
  std::array<Stage, 2> stages;
  Stage* current = &stages.front();
  Stage* next = &stages.back();
  if (startSoft) {
    current->soft[startTotal] = 1.0;
    current->placeSoft(startTotal, startTotal, softStand);
  } else {
    current->hard[startTotal] = 1.0;
    current->placeHard(startTotal, startTotal);
  }

  // Each step moves all still-drawing probability by exactly one card; it ends
  // once every drawing total holds exactly zero.
  while (current->drawing()) {
    ++result.drawSteps;
    drawStep(p, *current, *next, softStand);
    std::swap(current, next);
  }
  for (int t = 0; t < kTotals; ++t) {
    result.probability[t] = current->hard[t] + current->soft[t];
  }
  return result;
}

DealerOutcomes Deck::dealerOutcomes(int startTotal, bool startSoft, int dealerMode) const {
  return computeDealerOutcomes(drawProbabilities(*this), startTotal, startSoft, dealerMode);
}
