#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Exponents far beyond any digit count saturate here; the value they give is
// out of every range, or below every fraction, either way.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

std::optional<std::int64_t> exponentOf(std::string_view text) {
  const auto power = wholeText(text);
  if (!power) {
    return std::nullopt;
  }
  std::int64_t exponent = 0;
  for (const char c : power->digits) {
    exponent = std::min(kExponentLimit, 10 * exponent + (c - '0'));
  }
  return power->negative ? -exponent : exponent;
}

}  // namespace

std::optional<WholeText> wholeText(std::string_view text) {
  WholeText whole;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    whole.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (!allDigits(text)) {
    return std::nullopt;
  }
  whole.digits = text;
  return whole;
}

std::optional<std::int64_t> readWhole(std::string_view text, std::int64_t low, std::int64_t high) {
  const auto whole = wholeText(text);
  if (!whole) {
    return std::nullopt;
  }
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t magnitude = 0;
  for (const char c : whole->digits) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (kMost - digit) / 10) {
      return std::nullopt;
    }
    magnitude = 10 * magnitude + digit;
  }
  // A negative number may reach one past the largest positive one.
  constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (magnitude > kLargest + (whole->negative ? 1 : 0)) {
    return std::nullopt;
  }
  const auto value = static_cast<std::int64_t>(whole->negative ? 0 - magnitude : magnitude);
  if (value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::uint64_t> Decimal::wholePart(std::uint64_t most) const {
  const auto places = static_cast<std::int64_t>(digits.size()) + exponent;
  if (places <= 0) {
    return 0;
  }
  if (places > std::numeric_limits<std::uint64_t>::digits10 + 1) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (std::int64_t i = 0; i < places; ++i) {
    const auto digit = static_cast<std::uint64_t>(
        i < static_cast<std::int64_t>(digits.size()) ? digits[i] - '0' : 0);
    if (value > most / 10 || digit > most - 10 * value) {
      return std::nullopt;
    }
    value = 10 * value + digit;
  }
  return value;
}

std::optional<Decimal> readDecimal(std::string_view text) {
  const auto e = text.find_first_of("eE");
  const auto power =
      e == std::string_view::npos ? std::optional<std::int64_t>(0) : exponentOf(text.substr(e + 1));
  std::string_view mantissa = text.substr(0, e);
  Decimal decimal;
  if (!mantissa.empty() && (mantissa.front() == '+' || mantissa.front() == '-')) {
    decimal.negative = mantissa.front() == '-';
    mantissa.remove_prefix(1);
  }
  const auto point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : mantissa.substr(point + 1);
  // The whole part may be left out before a point (.5), the fraction not after one.
  const bool digits = point == std::string_view::npos
                          ? allDigits(whole)
                          : (whole.empty() || allDigits(whole)) && allDigits(fraction);
  if (!power || !digits) {
    return std::nullopt;
  }
  decimal.digits = std::string(whole).append(fraction);
  decimal.exponent = *power - static_cast<std::int64_t>(fraction.size());
  decimal.digits.erase(0, std::min(decimal.digits.size(), decimal.digits.find_first_not_of('0')));
  while (!decimal.digits.empty() && decimal.digits.back() == '0') {
    decimal.digits.pop_back();
    ++decimal.exponent;
  }
  return decimal;
}

std::optional<double> readDouble(std::string_view text) {
  if (!readDecimal(text)) {
    return std::nullopt;
  }
  // from_chars takes a leading '-' but not '+'.
  if (text.front() == '+') {
    text.remove_prefix(1);
  }
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end) {
    return std::nullopt;
  }
  return value;
}
