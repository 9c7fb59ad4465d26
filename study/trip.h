#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "stats/tally.h"
#include "stats/trip_figures.h"
#include "study/study_config.h"

// A trip: a counter with a bankroll at the study's table for a number of
// rounds dealt, each round played staked by the ramp at its count, until the
// rounds are dealt or the bankroll cannot cover the next stake (ruin).
// Bankrolls and results are exact, in payoff units.
struct TripPlan {
  std::int64_t bankroll;
  std::uint64_t rounds;
  // The rounds dealt when each whole hour ends.
  std::vector<std::uint64_t> hourEnds;
};

// The plan of trips of `hours` hours (above 0) from a bankroll of `units` at
// the study's pace: the rounds of the hours dealt, rounded to the nearest,
// and the bankroll in whole payoff units, rounded down.
TripPlan tripPlan(const StudyConfig& config, double units, double hours);

struct TripOutcome {
  std::int64_t bankroll;  // at the trip's end
  bool ruined;
  // The bankroll when each hour of the plan ended; a ruined trip's stays
  // where the ruin left it.
  std::vector<std::int64_t> hourly;
  std::uint64_t dealt;  // the rounds dealt, fewer than planned when ruined
  // Over the rounds played: the sum of what each round won and of its squares.
  Int128 sum;
  Int128 squares;
};

// The quantiles a trip's result and bankroll are given at.
inline constexpr std::array<double, 5> kTripQuantiles{0.05, 0.25, 0.5, 0.75, 0.95};
using Quantiles = std::array<double, kTripQuantiles.size()>;

// What trips played to one plan tell, in units:
//   ruin       the share of trips ruined, with its Wilson interval
//   result     each trip's final bankroll less the starting one: its
//              quantiles and mean
//   hourly     the bankroll's quantiles at each hour's end
//   mean, variance  of what a dealt round won (a watched round winning
//              nothing), over every round the trips dealt: N rounds,
//              S the sum and Q the sum of squares, mean = S/N and
//              variance = Q/N − mean²
//   diffusionRuin  the diffusion approximation's ruin within the plan's
//              rounds for that mean and variance
struct TripFigures {
  Proportion ruin;
  Quantiles result;
  double meanResult;
  std::vector<Quantiles> hourly;
  std::uint64_t dealt;  // the rounds the trips dealt
  double mean;
  double variance;
  double diffusionRuin;
};

TripFigures tripFigures(std::span<const TripOutcome> trips, const TripPlan& plan);
