#include "study/text_values.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal read exactly: the value is digits × 10^exponent, the digits
// without leading zeros (none for zero).
struct Decimal {
  std::string digits;
  std::int64_t exponent = 0;
};

// Exponents far beyond any digit count saturate here; the value they give is
// out of every range either way.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// [+|-] digits, the whole of `text`; none for anything else.
std::optional<std::int64_t> readExponent(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::int64_t exponent = 0;
  for (const char c : text) {
    if (!isDigit(c)) {
      return std::nullopt;
    }
    exponent = std::min(kExponentLimit, 10 * exponent + (c - '0'));
  }
  return negative ? -exponent : exponent;
}

// digits [. digits] [e|E [+|-] digits], at least one digit before the exponent.
std::optional<Decimal> readDecimal(std::string_view text) {
  Decimal decimal;
  std::size_t at = 0;
  bool point = false;
  bool anyDigit = false;
  for (; at < text.size() && (isDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
    if (text[at] == '.') {
      point = true;
    } else {
      anyDigit = true;
      if (!decimal.digits.empty() || text[at] != '0') {
        decimal.digits.push_back(text[at]);
      }
      decimal.exponent -= point ? 1 : 0;
    }
  }
  if (!anyDigit) {
    return std::nullopt;
  }
  if (at == text.size()) {
    return decimal;
  }
  const auto exponent = readExponent(text.substr(at + 1));
  if ((text[at] != 'e' && text[at] != 'E') || !exponent) {
    return std::nullopt;
  }
  decimal.exponent += *exponent;
  return decimal;
}

std::int64_t suffixPower(char suffix) {
  switch (suffix) {
    case 'k':
    case 'K':
      return 3;
    case 'm':
    case 'M':
      return 6;
    case 'g':
    case 'G':
      return 9;
    default:
      return 0;
  }
}

// The whole number a decimal holds, or none when it has a fractional part or
// passes `most`.
std::optional<std::uint64_t> wholeValue(Decimal decimal, std::uint64_t most) {
  while (!decimal.digits.empty() && decimal.digits.back() == '0') {
    decimal.digits.pop_back();
    ++decimal.exponent;
  }
  const auto length = static_cast<std::int64_t>(decimal.digits.size());
  if (decimal.exponent < 0 ||
      length + decimal.exponent > std::numeric_limits<std::uint64_t>::digits10) {
    return decimal.digits.empty() ? std::optional<std::uint64_t>(0) : std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char digit : decimal.digits) {
    value = 10 * value + static_cast<std::uint64_t>(digit - '0');
  }
  for (std::int64_t i = 0; i < decimal.exponent; ++i) {
    value *= 10;
  }
  return value <= most ? std::optional(value) : std::nullopt;
}

}  // namespace

Parsed<std::uint64_t> parseCount(std::string_view text, std::uint64_t most) {
  const std::string expected = "expected a whole number from 1 to " + std::to_string(most) +
                               ": digits, 1e8, 2.5k, 100M or 1G";
  const std::int64_t power = text.empty() ? 0 : suffixPower(text.back());
  auto decimal = readDecimal(power > 0 ? text.substr(0, text.size() - 1) : text);
  if (!decimal) {
    return expected;
  }
  decimal->exponent += power;
  const auto value = wholeValue(*decimal, most);
  if (!value || *value < 1) {
    return expected;
  }
  return *value;
}

Parsed<std::int64_t> parseWhole(std::string_view text, std::int64_t low, std::int64_t high) {
  const std::string expected =
      "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  // from_chars takes a leading '-' but no '+', spaces or anything after the digits.
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end || value < low || value > high) {
    return expected;
  }
  return value;
}

Parsed<double> parsePositive(std::string_view text) {
  const std::string expected = "expected a positive number such as 1000, 2.5 or 1e6";
  if (!readDecimal(text)) {
    return expected;
  }
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || !(value > 0.0)) {
    return expected;
  }
  return value;
}

Parsed<CardCounts> parseCards(std::string_view text) {
  constexpr std::array<std::string_view, 14> kFaces{"",  "A", "2", "3",  "4", "5", "6",
                                                    "7", "8", "9", "10", "J", "Q", "K"};
  CardCounts cards;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    std::string face(text.substr(start, comma - start));
    std::transform(face.begin(), face.end(), face.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    const auto* const found =
        std::find(kFaces.begin() + 1, kFaces.end(), face == "T" ? "10" : face);
    if (found == kFaces.end()) {
      return "\"" + printable(face) +
             "\" is not a card: give cards as A, 2 to 10, T, J, Q or K separated "
             "by commas, such as A,10,10,5";
    }
    cards.add(std::min<int>(static_cast<int>(found - kFaces.begin()), 10));
    start = comma + 1;
  }
  return cards;
}

std::string shortestText(double value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return {text.data(), result.ptr};
}

std::string printable(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      constexpr std::string_view kHex = "0123456789abcdef";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xf];
    } else {
      shown += c;
    }
  }
  return shown;
}
