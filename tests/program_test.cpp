// The program at its edge: the whole run and the payoff report.
#include "driver/program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver/payoff_report.h"
#include "tests/support.h"

namespace {

struct ProgramRun {
  int status;
  std::string out, err;
};

// The whole program with seed 20261206 and both streams captured; cout's
// format state, which the report changes, is restored afterwards.
ProgramRun runCaptured(bool (*selfTests)()) {
  std::ostringstream out, err;
  std::ios savedFormat(nullptr);
  savedFormat.copyfmt(std::cout);
  std::streambuf* coutBuf = std::cout.rdbuf(out.rdbuf());
  std::streambuf* cerrBuf = std::cerr.rdbuf(err.rdbuf());
  const int status = runProgram({20261206, selfTests});
  std::cout.rdbuf(coutBuf);
  std::cerr.rdbuf(cerrBuf);
  std::cout.copyfmt(savedFormat);
  return {status, out.str(), err.str()};
}

// A failing self-test between two passing ones: every test still runs.
constexpr SelfTest kOneFails[] = {{"Testing A...", [] { return true; }},
                                  {"Testing B...", [] { return false; }},
                                  {"Testing C...", [] { return true; }}};

// Guards the output of a full run; tools/make_golden.sh rewrites the files.
// A failed self-test adds its lines to the output and changes nothing else.
TEST(Program, GoldenRunForFixedSeed) {
  const ProgramRun run = runCaptured(runSelfTests);
  EXPECT_EQ(run.status, 1);
  const std::string base = std::string(TRUECOUNT_TEST_DATA_DIR) + "/seed_20261206";
  if (std::getenv("TRUECOUNT_WRITE_GOLDEN") != nullptr) {
    std::ofstream(base + ".stdout", std::ios::binary) << run.out;
    std::ofstream(base + ".stderr", std::ios::binary) << run.err;
    GTEST_SKIP() << "golden files written to " << base << ".*";
  }
  EXPECT_EQ(run.out, readFile(base + ".stdout"));
  EXPECT_EQ(run.err, readFile(base + ".stderr"));
  const ProgramRun failed = runCaptured([] { return runSelfTestSuite(kOneFails); });
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, "FAILED!!\nFAIL ONE OR MORE TESTS!\n");
  const std::string passed =
      "Testing Deck...Passed\nTesting Count...Passed\nTesting Hand...Passed\n\n";
  ASSERT_EQ(run.out.substr(0, passed.size()), passed);
  EXPECT_EQ(failed.out, "Testing A...Passed\nTesting B...Testing C...Passed\n\n" +
                            run.out.substr(passed.size()));
}

// Rows at counts with a non-zero payoff, -60..60, the weighted column at twice
// the count's units above zero; the averages are per 50000 rounds.
TEST(PayoffReport, WritesEveryNonZeroCountAndTheSummaries) {
  using Booking = std::tuple<int, double, int>;  // count, summed payoff, rounds
  const std::string heading =
      "Showing payoff table for each count...\n\n"
      "Count Payoff/Frequency Expected_Payoff Weighted_Payoff\n";
  // The first row's count has no plus sign; the later ones keep the one the row before set.
  const std::pair<std::vector<Booking>, std::string> cases[] = {
      {{{-60, -3.5, 8},
        {0, -7.0, 240},
        {3, 41.5, 1200},
        {4, 0.0, 2},
        {60, 12345678.5, 1},
        {61, 5.0, 1},
        {-61, 9.0, 1}},
       heading + " -60   -3.5 /        8 =   -0.437500   -3.500000\n"
                 "  +0   -7.0 /      240 =   -0.029167   -7.000000\n"
                 "  +3  +41.5 /     1200 =   +0.034583 +249.000000\n"
                 " +60 +12345678.5 /        1 = +12345678.500000 +1481481420.000000\n\n"
                 "Payoff: +12345709.500000 (If you always bet 1 dollars.)\nAverage: +246.914190\n"
                 "Weighted payoff: +1481481658.500000 (If you bet +2.000000 for each additional "
                 "count.)\nWeighted average: +29629.633170\n"},
      {{},
       heading +
           "\nPayoff: 0 (If you always bet 1 dollars.)\nAverage: 0\n"
           "Weighted payoff: 0 (If you bet 2 for each additional count.)\nWeighted average: 0\n"},
  };
  for (const auto& [bookings, expected] : cases) {
    PayoffTable table;
    for (const auto& [count, payoff, rounds] : bookings) {
      table.record(count, payoff);
      for (int i = 1; i < rounds; ++i)
        table.record(count, 0.0);
    }
    std::ostringstream out;
    printPayoffReport(table, out);
    EXPECT_EQ(out.str(), expected);
  }
}

}  // namespace
