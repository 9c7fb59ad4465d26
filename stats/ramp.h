#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "stats/tally.h"

// A bet ramp: the stake per true count, as steps "COUNT:STAKE" that each hold
// from their count upward until the next step. Counts below the first step's
// count bet the first step's stake. Stakes are whole units, so that the
// ramp's weighted tallies stay exact integers.
struct RampStep {
  int fromCount;
  std::int64_t stake;
};

struct Ramp {
  static constexpr std::int64_t kMaxStake = 100000;

  std::vector<RampStep> steps;  // counts strictly ascending

  // The stake at every count; one unit everywhere for a ramp without steps.
  CountWeights weights() const;
  // The canonical text, such as "-60:1,1:2,2:4": equal ramps give equal text.
  std::string text() const;
};

// Reads comma-separated COUNT:STAKE steps, counts from -60 to 60 strictly
// ascending, stakes whole units from 1 to kMaxStake; whitespace around items
// and their parts is allowed. Gives the ramp, or a message saying what was
// wrong and what is accepted.
std::variant<Ramp, std::string> parseRamp(std::string_view text);
