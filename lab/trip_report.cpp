#include "lab/trip_report.h"

#include <cmath>

#include "lab/table_text.h"
#include "study/text_values.h"
#include "table/payoff_unit.h"

namespace {

std::string share(double value) {
  return figure(100 * value, "%.2f%%");
}

std::string units(double value) {
  return figure(value, "%+.1f");
}

}  // namespace

void printTripReport(std::ostream& out, const TripReport& report, double seconds, int threads) {
  const TripFigures& f = report.figures;
  out << "truecount-lab trip: " << report.played << " of " << report.trips << " trips of "
      << shortestText(report.hours) << " hours (" << report.plan.rounds
      << " rounds dealt each) from a bankroll of "
      << shortestText(static_cast<double>(report.plan.bankroll) / kPayoffUnitsPerStake)
      << " units\n";
  out << "Settings: " << settingsLine(report.config, false) << "\n\n";
  if (report.played == 0) {
    out << "No trip played, so no figures\n";
    return;
  }
  out << "Ruined within a trip: " << share(f.ruin.share) << ", 95% interval [" << share(f.ruin.low)
      << ", " << share(f.ruin.high) << "]; diffusion approximation " << share(f.diffusionRuin)
      << "\n";
  out << "Trip result in units: 5% " << units(f.result[0]) << ", 25% " << units(f.result[1])
      << ", median " << units(f.result[2]) << ", 75% " << units(f.result[3]) << ", 95% "
      << units(f.result[4]) << "; mean " << units(f.meanResult) << "\n";
  out << format(
      "Per round dealt: %+.5f units won, SD %.4f (what the diffusion approximation takes)\n",
      f.mean, std::sqrt(f.variance));
  if (!f.hourly.empty()) {
    out << format("\n%6s %10s %10s %10s %10s %10s\n", "hour", "5%", "25%", "median", "75%", "95%");
    for (std::size_t hour = 0; hour < f.hourly.size(); ++hour) {
      const Quantiles& q = f.hourly[hour];
      out << format("%6zu %10.1f %10.1f %10.1f %10.1f %10.1f\n", hour + 1, q[0], q[1], q[2], q[3],
                    q[4]);
    }
    out << "(the bankroll in units at each hour's end; a ruined trip's stays where it fell)\n";
  }
  out << paceLine(static_cast<double>(f.dealt) / seconds, " dealt", seconds, threads);
}

std::string tripCsv(const TripFigures& figures) {
  std::string text = "hour,p5,p25,p50,p75,p95\n";
  for (std::size_t hour = 0; hour < figures.hourly.size(); ++hour) {
    text += std::to_string(hour + 1);
    for (const double value : figures.hourly[hour]) {
      text += "," + shortestText(value);
    }
    text += "\n";
  }
  return text;
}
