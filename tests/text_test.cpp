// The one reader of numbers: the forms every option and file takes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "text/number_text.h"

namespace {

constexpr auto kNone = std::nullopt;

// Each text as a whole number from -100 to 100 and as a decimal.
TEST(NumberText, EachFormReadsAlikeAsAWholeNumberAndADecimal) {
  // The text, read as a whole number, and as a decimal.
  const std::tuple<const char*, std::optional<std::int64_t>, std::optional<double>> rows[] = {
      {"7", 7, 7.0},           {"+2", 2, 2.0},           {"-60", -60, -60.0},
      {"007", 7, 7.0},         {"-0", 0, 0.0},           {"101", kNone, 101.0},
      {"2.5", kNone, 2.5},     {"-0.5", kNone, -0.5},    {"+1.50", kNone, 1.5},
      {"1e2", kNone, 100.0},   {"2.5E-1", kNone, 0.25},  {"1e+06", kNone, 1e6},
      {"1e400", kNone, kNone}, {"1e-400", kNone, kNone}, {"", kNone, kNone},
      {"-", kNone, kNone},     {"+-1", kNone, kNone},    {" 1", kNone, kNone},
      {"1 ", kNone, kNone},    {"0x10", kNone, kNone},   {"-.5", kNone, -0.5},
      {"5.", kNone, kNone},    {"1.2.3", kNone, kNone},  {"1e", kNone, kNone},
      {"e5", kNone, kNone},    {"1e1.5", kNone, kNone},  {"inf", kNone, kNone},
      {".", kNone, kNone},     {"1.e5", kNone, kNone},   {"+.e1", kNone, kNone},
  };
  for (const auto& [text, whole, decimal] : rows)
    EXPECT_EQ(std::pair(readWhole(text, -100, 100), readDouble(text)), std::pair(whole, decimal))
        << text;
}

TEST(NumberText, WholeNumbersReachTheEndsOf64Bits) {
  constexpr auto kLow = std::numeric_limits<std::int64_t>::min();
  constexpr auto kHigh = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(readWhole("9223372036854775807", kLow, kHigh), kHigh);
  EXPECT_EQ(readWhole("-9223372036854775808", kLow, kHigh), kLow);
  for (const char* beyond : {"9223372036854775808", "-9223372036854775809", "99999999999999999999"})
    EXPECT_EQ(readWhole(beyond, kLow, kHigh), kNone) << beyond;
}

// A decimal is read exactly: its whole part and whether any fraction is left
// (study_test.cpp reads counts of rounds through them).
TEST(NumberText, DecimalsAreReadExactly) {
  constexpr std::uint64_t kTop = std::numeric_limits<std::uint64_t>::max();
  // The text, the most its whole part may be, that whole part, whether a fraction is left.
  const std::tuple<const char*, std::uint64_t, std::optional<std::uint64_t>, bool> rows[] = {
      {"-3.75", 3, 3, true},
      {"-3.75", 2, kNone, true},
      {"0.000", 0, 0, false},
      {"1e-99999999999999999999", 0, 0, true},
      {"18446744073709551615", kTop, kTop, false},
      {"18446744073709551616", kTop, kNone, false},
      {"1e99999999999999999999", kTop, kNone, false},
  };
  for (const auto& [text, most, whole, fraction] : rows) {
    const auto decimal = readDecimal(text);
    ASSERT_TRUE(decimal) << text;
    EXPECT_EQ(std::pair(decimal->wholePart(most), decimal->hasFraction()),
              std::pair(whole, fraction))
        << text;
  }
  EXPECT_TRUE(readDecimal("-3.75")->negative);
}

}  // namespace
