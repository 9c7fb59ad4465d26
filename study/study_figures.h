#pragma once

#include <array>
#include <optional>

#include "stats/figures.h"
#include "study/study_result.h"

// Every figure a study reports, derived from its exact tallies.
struct StudyFigures {
  // Per count slot; none where no round was played at that count.
  std::array<std::optional<Estimate>, kCountSlots> counts{};
  Estimate overall;
  // truecount's count-weighted summary, per round.
  Estimate weighted;
  std::optional<RampFigures> ramp;
  double decisionsPerRound;  // 0 without rounds
  double roundsPerSecond;    // 0 without a measured time
};

StudyFigures figuresOf(const StudyResult& result);
