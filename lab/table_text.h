#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "study/study_config.h"

// printf-style formatting into a string: the tables' columns are fixed-width.
template <typename... Args>
std::string format(const char* pattern, Args... args) {
  std::array<char, 256> buffer{};
  std::snprintf(buffer.data(), buffer.size(), pattern, args...);
  return buffer.data();
}

// A figure by `pattern`, or "n/a" when it is undefined.
std::string figure(double value, const char* pattern);

// The settings by their phrases, comma-separated: the rounds, blocks and
// seed, the house rules as the nearest named game and what differs from it,
// the strategy, the count, and every other setting off its default:
// "... seed 1, game 6d-s17 (dealer h17), strategy basic, count hilo".
std::string settingsLine(const StudyConfig& c);

// "Pace: N rounds per second<side> in S s on T threads", or, for a merged
// result (threads 0), over the seconds its runs took.
std::string paceLine(double roundsPerSecond, const char* side, double seconds, int threads);

// Phrases on one line: an index file's rows joined by "; ".
std::string oneLine(std::string text);
