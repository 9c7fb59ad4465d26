#include "selftest/self_tests.h"

#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <sstream>

namespace {

int calls = 0;
bool (*const pass)() = [] { return ++calls > 0; };
bool (*const fail)() = [] { return ++calls < 0; };
std::array<SelfTest, 3> customSuite{};
bool (*const runCustomSuite)() = [] { return runSelfTestSuite(customSuite); };

// Runs a suite with standard output and standard error sent to the given buffers.
bool runInto(std::streambuf* out, std::streambuf* err, bool (*suite)()) {
  std::streambuf* const oldOut = std::cout.rdbuf(out);
  std::streambuf* const oldErr = std::cerr.rdbuf(err);
  const bool passed = suite();
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);
  return passed;
}

}  // namespace

TEST(SelfTests, AllPassingPrintsThreeStatusLinesAndAnEmptyLine) {
  std::ostringstream out, err;
  EXPECT_TRUE(runInto(out.rdbuf(), err.rdbuf(), runSelfTests));
  EXPECT_EQ(out.str(), "Testing Deck...Passed\nTesting Count...Passed\nTesting Hand...Passed\n\n");
  EXPECT_EQ(err.str(), "");
}

// Each row says which of the three tests fail; every test still runs.
TEST(SelfTests, FailureGoesToStandardErrorAndTheOthersStillRun) {
  const std::array<const char*, 3> labels{"Testing Deck...", "Testing Count...", "Testing Hand..."};
  for (const std::array<bool, 3> fails :
       {std::array{true, false, false}, std::array{false, true, false},
        std::array{false, false, true}, std::array{true, true, true}}) {
    std::string wantOut, wantErr, wantBoth;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      customSuite[i] = {labels[i], fails[i] ? fail : pass};
      wantOut += std::string(labels[i]) + (fails[i] ? "" : "Passed\n");
      wantErr += fails[i] ? "FAILED!!\n" : "";
      wantBoth += std::string(labels[i]) + (fails[i] ? "FAILED!!\n" : "Passed\n");
    }
    SCOPED_TRACE(wantBoth);
    std::ostringstream out, err, both;
    calls = 0;
    EXPECT_FALSE(runInto(out.rdbuf(), err.rdbuf(), runCustomSuite));
    EXPECT_FALSE(runInto(both.rdbuf(), both.rdbuf(), runCustomSuite));
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(out.str(), wantOut + "\n");
    EXPECT_EQ(err.str(), wantErr);
    EXPECT_EQ(both.str(), wantBoth + "\n");
  }
}
