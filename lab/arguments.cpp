#include "lab/arguments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

std::optional<std::uint64_t> digits(std::string_view text) {
  std::uint64_t value = 0;
  const auto* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end) {
    return std::nullopt;
  }
  return value;
}

double multiplierOf(char suffix) {
  switch (suffix) {
    case 'k':
    case 'K':
      return 1e3;
    case 'm':
    case 'M':
      return 1e6;
    case 'g':
    case 'G':
      return 1e9;
    default:
      return 0.0;
  }
}

// A decimal such as 1e8 or 2.5 (with a suffix), read as a double: exact for
// every whole number up to 2^53, far beyond the largest round count.
std::optional<double> decimal(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789.eE+") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

Parsed<std::uint64_t> parseRounds(std::string_view text) {
  const std::string accepted = "a whole number of rounds from 1 to " + std::to_string(kMaxRounds) +
                               ", such as 250000, 1e8 or 100M";
  std::optional<double> value;
  if (const auto whole = digits(text)) {
    if (*whole >= 1 && *whole <= kMaxRounds) {
      return *whole;
    }
    return "expected " + accepted;
  }
  if (!text.empty() && multiplierOf(text.back()) > 0.0) {
    const auto number = decimal(text.substr(0, text.size() - 1));
    if (number) {
      value = *number * multiplierOf(text.back());
    }
  } else {
    value = decimal(text);
  }
  if (!value || !(*value >= 1.0) || *value > static_cast<double>(kMaxRounds) ||
      std::floor(*value) != *value) {
    return "expected " + accepted;
  }
  return static_cast<std::uint64_t>(*value);
}

Parsed<std::int64_t> parseWhole(std::string_view text, std::int64_t low, std::int64_t high) {
  const bool negative = !text.empty() && text.front() == '-';
  const auto magnitude = digits(negative ? text.substr(1) : text);
  const std::string expected =
      "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  if (!magnitude || *magnitude > static_cast<std::uint64_t>(INT64_MAX)) {
    return expected;
  }
  const auto value =
      negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
  if (value < low || value > high) {
    return expected;
  }
  return value;
}

Parsed<ShardSpec> parseShard(std::string_view text) {
  const std::string expected =
      "expected K/N with whole numbers 0 <= K < N <= " + std::to_string(StudyConfig::kMaxBlocks) +
      ", such as 0/3 (the blocks b with b mod N = K)";
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) {
    return expected;
  }
  const auto shard = digits(text.substr(0, slash));
  const auto shards = digits(text.substr(slash + 1));
  if (!shard || !shards || *shards == 0 || *shard >= *shards || *shards > StudyConfig::kMaxBlocks) {
    return expected;
  }
  return ShardSpec{*shard, *shards};
}
