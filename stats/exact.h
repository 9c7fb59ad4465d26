#pragma once

#include <optional>
#include <string>
#include <string_view>

// Tallies of hundreds of millions of rounds, their squares and the squares of
// block sums pass 2^63, so they are kept in 128 bits. `__extension__` keeps
// -Wpedantic quiet about the compiler's own integer type.
__extension__ using Int128 = __int128;
__extension__ using UInt128 = unsigned __int128;

constexpr Int128 kInt128Max = static_cast<Int128>(~UInt128{0} >> 1);
constexpr Int128 kInt128Min = -kInt128Max - 1;

// |value|, also for kInt128Min.
constexpr UInt128 magnitude(Int128 value) {
  return value < 0 ? UInt128{0} - static_cast<UInt128>(value) : static_cast<UInt128>(value);
}

// Decimal text of the value, with a leading '-' when negative. Result files
// store tallies this way so that no reader rounds them to a double.
std::string toDecimal(Int128 value);
// The inverse: a whole number as text/number_text.h reads one. Any other text
// and values outside Int128 give nothing.
std::optional<Int128> parseDecimal(std::string_view text);
