#pragma once

#include <cstdint>
#include <span>

// The figures of a set of trips, each played from the same bankroll for the
// same number of rounds.

// A share of trials with its 95% Wilson score interval, with z = kZ95:
//   (p + z²/2n ± z·sqrt(p(1 − p)/n + z²/4n²)) / (1 + z²/n), p = hits / n,
// which stays within [0, 1] and is not empty at 0 or n hits, where the
// normal interval would be.
struct Proportion {
  double share;
  double low;
  double high;
};
Proportion wilsonInterval(std::uint64_t hits, std::uint64_t trials);

// The value below which the share `q` (0 to 1) of the ascending `sorted` lies,
// interpolated between neighbouring values: at position q·(n − 1), counted
// from 0. NaN for no value.
double percentile(std::span<const double> sorted, double q);

// The diffusion approximation's chance that a bankroll B, drifting by µ a
// round with variance σ² a round, falls to 0 within T rounds:
//   Φ((−B − µT) / (σ√T)) + exp(−2µB / σ²)·Φ((−B + µT) / (σ√T)),
// the second term taken through logarithms, so that a large exponent and a
// small Φ do not overflow. Without variance the bankroll moves by µT for
// sure: 1 when µT ≤ −B, else 0.
double diffusionRuin(double bankroll, double mean, double variance, double rounds);
