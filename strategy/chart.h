#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "table/game_rules.h"

class BasicStrategy;

// One cell of a basic-strategy chart: what the original two-card hand does,
// and what it does instead where that is not allowed (doubling after a hit,
// surrendering a split hand).
enum class ChartCode {
  Hit,
  Stand,
  DoubleElseHit,
  DoubleElseStand,
  Split,
  SurrenderElseHit,
  SurrenderElseStand,
  SurrenderElseSplit,
  SurrenderElseDoubleElseHit,
  SurrenderElseDoubleElseStand,
};

// H, S, D, Ds, P, R, Rs, Rp, Rd, Rds.
std::string_view letterOf(ChartCode code);

// A chart row: a hand and its codes against the up cards 2..10, then the ace.
struct ChartRow {
  std::string hand;  // "16", "A,7", "8,8"
  std::array<ChartCode, 10> codes{};
};

// Basic strategy as a chart: hard totals 5 to 20, soft totals 13 to 20 (A,2
// to A,9) and the pairs 2,2 to 10,10 and A,A, each as the original two-card
// hand's first decision.
struct StrategyChart {
  std::vector<ChartRow> hard;
  std::vector<ChartRow> soft;
  std::vector<ChartRow> pairs;
};

StrategyChart chartOf(const BasicStrategy& strategy, const GameRules& rules);
