#pragma once

#include <array>

#include "count/true_count.h"

// Summed round payoffs and round counts per whole true count, -60..60.
struct PayoffTable {
  static constexpr int kSlots = 2 * kCountLimit + 1;

  std::array<double, kSlots> payoffSum{};
  std::array<int, kSlots> frequency{};

  static bool inRange(int count) { return count >= -kCountLimit && count <= kCountLimit; }
  // A count outside -60..60 has no slot: it is not booked, and reads as empty.
  void record(int count, double payoff);
  double payoffAt(int count) const;
  double frequencyAt(int count) const;
};
