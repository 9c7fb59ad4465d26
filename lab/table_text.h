#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "study/study_config.h"

// What a report shows beyond the answer.
struct ReportOptions {
  bool summaryOnly = false;  // the summary alone, no table
  bool weighted = false;     // truecount's count-weighted line in any game
};

// printf-style formatting into a string: the tables' columns are fixed-width.
template <typename... Args>
std::string format(const char* pattern, Args... args) {
  std::array<char, 256> buffer{};
  std::snprintf(buffer.data(), buffer.size(), pattern, args...);
  return buffer.data();
}

// A figure by `pattern`, or "n/a" when it is undefined.
std::string figure(double value, const char* pattern);

// Whether a report shows truecount's count-weighted line: in truecount's own
// game and count, whose summary it is, or when asked.
bool showsWeighted(const StudyConfig& c, const ReportOptions& options);

// A fraction as a signed per cent, "+1.234%", or "n/a".
std::string percent(double fraction);

// A risk of ruin: four decimals, or two significant digits in scientific
// notation below one in a thousand, where four decimals would show 0.0000.
std::string riskText(double risk);

// The settings by their phrases, comma-separated: the rounds, blocks and
// seed, the house rules as the nearest named game and what differs from it,
// the strategy, the count, and every other setting off its default:
// "... seed 1, game 6d-s17 (dealer h17), strategy basic, count hilo".
// Without `withSize` the rounds and block size are left out: a trip has none.
std::string settingsLine(const StudyConfig& c, bool withSize = true);

// "Pace: N rounds per second<side> in S s on T threads", or, for a merged
// result (threads 0), over the seconds its runs took.
std::string paceLine(double roundsPerSecond, const char* side, double seconds, int threads);

// Phrases on one line: an index file's rows joined by "; ".
std::string oneLine(std::string text);
