#pragma once

#include <optional>

#include "selftest/self_tests.h"

// The run's settings, all fixed: nothing is read at run time. The table plays
// the house rules (kHouseRules).
namespace run_config {
inline constexpr int kRounds = 50000;
inline constexpr bool kTrace = false;
}  // namespace run_config

struct ProgramOptions {
  // The random seed; the calendar time in seconds, read after the self-tests,
  // when none is given.
  std::optional<unsigned> seed;
  bool (*selfTests)() = runSelfTests;
};

// Ties standard error to standard output, unit-buffered, in the classic locale,
// so a label and the status after it share a console line in order.
void configureStreams();

// The whole run: self-tests, seeding, banner, the rounds and the payoff report.
// Returns the process exit status, 1 after a complete run.
int runProgram(const ProgramOptions& options = {});
