#include "stats/exact.h"

#include <algorithm>

#include "text/number_text.h"

std::string toDecimal(Int128 value) {
  std::string digits;
  UInt128 rest = magnitude(value);
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(rest % 10)));
    rest /= 10;
  } while (rest != 0);
  if (value < 0) {
    digits.push_back('-');
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::optional<Int128> parseDecimal(std::string_view text) {
  const auto whole = wholeText(text);
  if (!whole) {
    return std::nullopt;
  }
  // A negative value may reach one past kInt128Max.
  const UInt128 limit = magnitude(whole->negative ? kInt128Min : kInt128Max);
  UInt128 value = 0;
  for (const char c : whole->digits) {
    const auto digit = static_cast<UInt128>(c - '0');
    if (value > (limit - digit) / 10) {
      return std::nullopt;
    }
    value = value * 10 + digit;
  }
  return whole->negative ? static_cast<Int128>(UInt128{0} - value) : static_cast<Int128>(value);
}
