#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers as options and files write them, read alike wherever they are
// given (docs/studies.md, "Settings of a study and bet ramps"). A whole number
// is an optional sign, + or -, then digits: 7, +2, -60, 007, -0. A decimal may
// add a point followed by digits and an exponent: 2.5, -0.5, .5, 1e6, 2.5E-3,
// 1e+06. Nothing before or after: no spaces, hex, inf or nan.

// The sign and digits of a whole number; none unless all of `text` is one.
struct WholeText {
  bool negative = false;
  std::string_view digits;
};
std::optional<WholeText> wholeText(std::string_view text);

// A whole number from `low` to `high`; none for any other text or value.
std::optional<std::int64_t> readWhole(std::string_view text, std::int64_t low, std::int64_t high);

// A decimal read exactly: ±digits × 10^exponent, the digits without leading or
// trailing zeros (none for zero).
struct Decimal {
  bool negative = false;
  std::string digits;
  std::int64_t exponent = 0;

  // Whether its magnitude has a fractional part, however small.
  bool hasFraction() const { return !digits.empty() && exponent < 0; }
  // The whole part of its magnitude; none when that passes `most`.
  std::optional<std::uint64_t> wholePart(std::uint64_t most) const;
};
std::optional<Decimal> readDecimal(std::string_view text);

// A decimal as the nearest double; none when it is out of a double's range,
// too large or too small to tell from zero.
std::optional<double> readDouble(std::string_view text);
