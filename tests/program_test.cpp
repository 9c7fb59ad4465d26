#include "driver/program.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ProgramRun {
  int status;
  std::string out, err;
};

// The whole program with a fixed seed and both streams captured; cout's format
// state, which the report changes, is restored afterwards.
ProgramRun runCaptured(unsigned seed, bool (*selfTests)() = runSelfTests) {
  std::ostringstream out, err;
  std::ios savedFormat(nullptr);
  savedFormat.copyfmt(std::cout);
  std::streambuf* coutBuf = std::cout.rdbuf(out.rdbuf());
  std::streambuf* cerrBuf = std::cerr.rdbuf(err.rdbuf());
  const int status = runProgram({seed, selfTests});
  std::cout.rdbuf(coutBuf);
  std::cerr.rdbuf(cerrBuf);
  std::cout.copyfmt(savedFormat);
  return {status, out.str(), err.str()};
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr SelfTest kFailing[] = {{"Testing X...", [] { return false; }}};
bool (*const failingSuite)() = [] { return runSelfTestSuite(kFailing); };

const std::string kSelfTestLines =
    "Testing Deck...Passed\nTesting Count...Passed\nTesting Hand...Passed\n\n";
const std::string kBanner =
    "Start to simulate 50000 games.\n  Number of decks: 2\n  Shuffle after 60 cards\n";

}  // namespace

// Guards the output of a full run; tools/make_golden.sh rewrites the files.
TEST(Program, GoldenRunForFixedSeed) {
  const ProgramRun run = runCaptured(20261206);
  EXPECT_EQ(run.status, 1);
  const std::string base = std::string(TRUECOUNT_TEST_DATA_DIR) + "/seed_20261206";
  if (std::getenv("TRUECOUNT_WRITE_GOLDEN") != nullptr) {
    std::ofstream(base + ".stdout", std::ios::binary) << run.out;
    std::ofstream(base + ".stderr", std::ios::binary) << run.err;
    GTEST_SKIP() << "golden files written to " << base << ".*";
  }
  EXPECT_EQ(run.out, readFile(base + ".stdout"));
  EXPECT_EQ(run.err, readFile(base + ".stderr"));
}

// Same seed, same bytes; another seed shuffles differently; a failed self-test
// adds its lines to the output and changes nothing else.
TEST(Program, RunDependsOnlyOnSeedAndSelfTestOutcome) {
  const ProgramRun first = runCaptured(99), second = runCaptured(99), other = runCaptured(100),
                   failed = runCaptured(99, failingSuite);
  EXPECT_EQ(first.out, second.out);
  EXPECT_EQ(first.err, second.err);
  EXPECT_NE(first.out, other.out);
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, "FAILED!!\nFAIL ONE OR MORE TESTS!\n");
  ASSERT_EQ(first.out.substr(0, kSelfTestLines.size()), kSelfTestLines);
  EXPECT_EQ(failed.out, "Testing X...\n" + first.out.substr(kSelfTestLines.size()));
}

TEST(Program, ExecutableExitsWithStatusOneAfterSelfTestsAndBanner) {
  const std::string base = ::testing::TempDir() + "truecount_" + std::to_string(getpid());
  const std::string command =
      std::string("'") + TRUECOUNT_EXECUTABLE + "' >'" + base + ".out' 2>'" + base + ".err'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string out = readFile(base + ".out"), err = readFile(base + ".err");
  const std::string start = kSelfTestLines + kBanner + "1 / 50000 simulated.\n";
  EXPECT_EQ(out.substr(0, start.size()), start);
  EXPECT_EQ(err, "");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
}
