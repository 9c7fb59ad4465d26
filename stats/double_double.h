#pragma once

#include "stats/exact.h"

// A real number carried to about 106 bits as the unevaluated sum of two
// doubles, |low| at most half an ulp of high. A figure formed from exact
// integers by a few products, a quotient and a square root in this form and
// rounded to double once at the end is the correctly rounded figure in all
// but vanishingly rare cases. Built from IEEE double operations alone (which
// -ffp-contract=off keeps unfused), so every machine gives the same bits.
struct DoubleDouble {
  double high = 0.0;
  double low = 0.0;

  // An integer below 2^126 in magnitude, exact up to 106 bits.
  static DoubleDouble of(Int128 value);
  // Every operation leaves the pair normalised: high is the sum, rounded.
  double rounded() const { return high; }
};

DoubleDouble operator*(DoubleDouble a, DoubleDouble b);
DoubleDouble operator/(DoubleDouble a, DoubleDouble b);
DoubleDouble operator+(DoubleDouble a, DoubleDouble b);
DoubleDouble operator-(DoubleDouble a, DoubleDouble b);
DoubleDouble sqrt(DoubleDouble a);
