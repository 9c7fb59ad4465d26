#include "study/text_values.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "text/number_text.h"

namespace {

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

}  // namespace

Parsed<std::uint64_t> parseCount(std::string_view text, std::uint64_t most) {
  const std::string expected = "expected a whole number from 1 to " + std::to_string(most) +
                               ": digits, 1e8, 2.5k, 100M or 1G";
  const std::int64_t power = text.empty() ? 0 : suffixPower(text.back());
  auto decimal = readDecimal(power > 0 ? text.substr(0, text.size() - 1) : text);
  if (!decimal || decimal->negative) {
    return expected;
  }
  decimal->exponent += power;
  const auto value = decimal->wholePart(most);
  if (!value || decimal->hasFraction() || *value < 1) {
    return expected;
  }
  return *value;
}

Parsed<std::int64_t> parseWhole(std::string_view text, std::int64_t low, std::int64_t high) {
  if (const auto value = readWhole(text, low, high)) {
    return *value;
  }
  return "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

Parsed<double> parsePositive(std::string_view text) {
  const auto value = readDouble(text);
  if (!value || !(*value > 0.0)) {
    return std::string("expected a positive number such as 1000, 2.5 or 1e6");
  }
  return *value;
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
