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

// The difference of a comparison's variant from its study: per count where
// both sides have rounds, for all rounds, the count-weighted series and, when
// both sides play a ramp, the ramps' series.
struct DifferenceFigures {
  std::array<std::optional<Difference>, kCountSlots> counts{};
  Difference overall;
  Difference weighted;
  std::optional<Difference> ramp;
};

// A comparison's figures beside its study's: the variant's and the difference.
struct ComparisonFigures {
  StudyFigures variant;
  DifferenceFigures difference;
};

ComparisonFigures comparisonFiguresOf(const StudyResult& comparison);
