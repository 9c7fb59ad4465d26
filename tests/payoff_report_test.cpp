#include "driver/payoff_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Booking = std::tuple<int, double, int>;  // count, summed payoff, rounds

std::string report(const std::vector<Booking>& bookings) {
  PayoffTable table;
  for (const auto& [count, payoff, rounds] : bookings) {
    table.record(count, payoff);
    for (int i = 1; i < rounds; ++i) {
      table.record(count, 0.0);
    }
  }
  std::ostringstream out;
  printPayoffReport(table, out);
  return out.str();
}

const std::string kHeading =
    "Showing payoff table for each count...\n\n"
    "Count Payoff/Frequency Expected_Payoff Weighted_Payoff\n";
const std::string kNoRows =
    kHeading +
    "\nPayoff: 0 (If you always bet 1 dollars.)\nAverage: 0\n"
    "Weighted payoff: 0 (If you bet 2 for each additional count.)\nWeighted average: 0\n";

}  // namespace

TEST(PayoffReport, WritesEveryNonZeroCountAndTheSummaries) {
  const struct {
    std::vector<Booking> bookings;
    std::string expected;
  } cases[] = {
      {{{-12, -3.5, 8}, {0, -7.0, 240}, {3, 41.5, 1200}},
       kHeading + " -12   -3.5 /        8 =   -0.437500   -3.500000\n"
                  "  +0   -7.0 /      240 =   -0.029167   -7.000000\n"
                  "  +3  +41.5 /     1200 =   +0.034583 +249.000000\n\n"
                  "Payoff: +31.000000 (If you always bet 1 dollars.)\nAverage: +0.000620\n"
                  "Weighted payoff: +238.500000 (If you bet +2.000000 for each additional count.)\n"
                  "Weighted average: +0.004770\n"},
      // First row at count 0 has no plus sign; count 2 booked rounds but sums to 0.0.
      {{{0, 1.5, 3}, {1, -2.0, 4}, {2, 0.0, 10}, {5, 0.5, 1}},
       kHeading + "   0   +1.5 /        3 =   +0.500000   +1.500000\n"
                  "  +1   -2.0 /        4 =   -0.500000   -4.000000\n"
                  "  +5   +0.5 /        1 =   +0.500000   +5.000000\n\n"
                  "Payoff: +0.000000 (If you always bet 1 dollars.)\nAverage: +0.000000\n"
                  "Weighted payoff: +2.500000 (If you bet +2.000000 for each additional count.)\n"
                  "Weighted average: +0.000050\n"},
      {{{60, 12345678.5, 1}},
       kHeading + "  60 +12345678.5 /        1 = +12345678.500000 +1481481420.000000\n\n"
                  "Payoff: +12345678.500000 (If you always bet 1 dollars.)\nAverage: +246.913570\n"
                  "Weighted payoff: +1481481420.000000 (If you bet +2.000000 for each additional "
                  "count.)\nWeighted average: +29629.628400\n"},
      {{}, kNoRows},
      {{{-4, 0.0, 7}, {4, 0.0, 2}}, kNoRows},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(report(c.bookings), c.expected);
  }
}
