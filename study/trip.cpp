#include "study/trip.h"

#include <algorithm>
#include <cmath>

#include "table/payoff_unit.h"

namespace {

Quantiles quantilesOf(std::vector<double>& values) {
  std::sort(values.begin(), values.end());
  Quantiles quantiles{};
  std::transform(kTripQuantiles.begin(), kTripQuantiles.end(), quantiles.begin(),
                 [&values](double q) { return percentile(values, q); });
  return quantiles;
}

double units(Int128 payoffUnits) {
  return static_cast<double>(payoffUnits) / kPayoffUnitsPerStake;
}

}  // namespace

TripPlan tripPlan(const StudyConfig& config, double units, double hours) {
  const double perHour = config.roundsPerHour();
  TripPlan plan{static_cast<std::int64_t>(std::floor(units * kPayoffUnitsPerStake)),
                static_cast<std::uint64_t>(std::llround(hours * perHour)),
                {}};
  for (int hour = 1; hour <= static_cast<int>(std::floor(hours)); ++hour) {
    plan.hourEnds.push_back(static_cast<std::uint64_t>(std::llround(hour * perHour)));
  }
  return plan;
}

TripFigures tripFigures(std::span<const TripOutcome> trips, const TripPlan& plan) {
  TripFigures figures{};
  const auto ruined = static_cast<std::uint64_t>(
      std::count_if(trips.begin(), trips.end(), [](const TripOutcome& t) { return t.ruined; }));
  figures.ruin = wilsonInterval(ruined, trips.size());
  std::vector<double> values;
  values.reserve(trips.size());
  Int128 won = 0;
  Int128 squares = 0;
  std::uint64_t dealt = 0;
  for (const TripOutcome& trip : trips) {
    values.push_back(units(trip.bankroll - plan.bankroll));
    won += trip.sum;
    squares += trip.squares;
    dealt += trip.dealt;
  }
  figures.meanResult = units(won) / static_cast<double>(trips.size());
  figures.result = quantilesOf(values);
  for (std::size_t hour = 0; hour < plan.hourEnds.size(); ++hour) {
    values.clear();
    for (const TripOutcome& trip : trips) {
      values.push_back(units(trip.hourly[hour]));
    }
    figures.hourly.push_back(quantilesOf(values));
  }
  figures.dealt = dealt;
  figures.mean = units(won) / static_cast<double>(dealt);
  figures.variance = units(squares) / kPayoffUnitsPerStake / static_cast<double>(dealt) -
                     figures.mean * figures.mean;
  figures.diffusionRuin = diffusionRuin(units(plan.bankroll), figures.mean, figures.variance,
                                        static_cast<double>(plan.rounds));
  return figures;
}
