#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "study/trip.h"

// What a `trip` run played: its settings, plan and hours, the trips finished
// and their figures.
struct TripReport {
  const StudyConfig& config;
  const TripPlan& plan;
  double hours;
  std::uint64_t trips;  // asked for
  std::uint64_t played;
  const TripFigures& figures;
};

// The answer first (the chance of ruin, the trip's result), then the
// bankroll hour by hour.
void printTripReport(std::ostream& out, const TripReport& report, double seconds, int threads);

// One row per hour: the bankroll's quantiles at its end.
std::string tripCsv(const TripFigures& figures);
