#include "stats/trip_figures.h"

#include <cmath>
#include <limits>

#include "stats/figures.h"

namespace {

// Φ(x), the standard normal distribution function.
double normalBelow(double x) {
  return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

}  // namespace

Proportion wilsonInterval(std::uint64_t hits, std::uint64_t trials) {
  if (trials == 0) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    return {none, none, none};
  }
  const auto n = static_cast<double>(trials);
  const double p = static_cast<double>(hits) / n;
  const double z2 = kZ95 * kZ95;
  const double centre = p + z2 / (2 * n);
  const double spread = kZ95 * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
  const double scale = 1 + z2 / n;
  return {p, (centre - spread) / scale, (centre + spread) / scale};
}

double percentile(std::span<const double> sorted, double q) {
  if (sorted.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const double position = q * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  if (below + 1 >= sorted.size()) {
    return sorted.back();
  }
  const double part = position - static_cast<double>(below);
  return sorted[below] + part * (sorted[below + 1] - sorted[below]);
}

double diffusionRuin(double bankroll, double mean, double variance, double rounds) {
  const double drift = mean * rounds;
  if (!(variance > 0)) {
    return drift <= -bankroll ? 1.0 : 0.0;
  }
  const double spread = std::sqrt(variance * rounds);
  const double direct = normalBelow((-bankroll - drift) / spread);
  const double reflected = normalBelow((-bankroll + drift) / spread);
  const double viaReflection =
      reflected > 0 ? std::exp(-2 * mean * bankroll / variance + std::log(reflected)) : 0.0;
  return std::fmin(1.0, direct + viaReflection);
}
