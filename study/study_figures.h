#pragma once

#include <array>
#include <optional>

#include "stats/figures.h"
#include "study/study_result.h"

// The figures of one side of a study, derived from its exact tallies.
struct SideFigures {
  // Per count slot; none where no round was played at that count.
  std::array<std::optional<Estimate>, kCountSlots> counts{};
  Estimate overall;
  // truecount's count-weighted summary, per round.
  Estimate weighted;
  // With a ramp: its figures, and its own series of stakes won per round.
  std::optional<RampFigures> ramp;
  std::optional<Estimate> rampSeries;
  // An hour's play: of the ramp with one, of the flat bet without. A wonging
  // player's hour deals the rounds watched too, so it plays fewer.
  HourlyFigures perHour;
  // With a spot rule: the hands a round at one unit each and, with a ramp,
  // at its stakes.
  std::optional<SpotFigures> spots;
  std::optional<SpotFigures> rampSpots;
  double decisionsPerRound;  // 0 without rounds
  // The rounds dealt per shoe begun; none where the shoes were not counted.
  std::optional<double> roundsPerShoe;
  double roundsPerSecond;  // 0 without a measured time
};

// The difference of a comparison's variant from its study: per count where
// both sides have rounds, for all rounds, the count-weighted series and, when
// both sides play a ramp, the ramps' series.
struct DifferenceFigures {
  std::array<std::optional<Difference>, kCountSlots> counts{};
  Difference overall;
  Difference weighted;
  std::optional<Difference> ramp;
};

// Every figure a study reports, derived once and handed to each of its
// writers: the study's own and, for a comparison, the variant's and the
// difference.
struct StudyFigures {
  SideFigures study;
  std::optional<SideFigures> variant;
  std::optional<DifferenceFigures> difference;
};

StudyFigures figuresOf(const StudyResult& result);
