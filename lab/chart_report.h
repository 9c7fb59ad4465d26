#pragma once

#include <string>

#include "strategy/chart.h"
#include "study/study_config.h"

// The game as the nearest named one, the reshuffle point aside (the chart is
// of a full shoe), and the split pricing when it is not the default.
std::string rulesLine(const StudyConfig& config);

// The chart as a table for standard output: the game's house rules, then
// hard totals, soft totals and pairs, a letter per up card 2..10 and A.
std::string chartText(const StrategyChart& chart, const StudyConfig& config);

// The chart as CSV: "hand,2,...,10,A" and a row per hand, hands written as
// index files write them (16, A,7, 8,8; quoted where they hold a comma).
std::string chartCsv(const StrategyChart& chart);
