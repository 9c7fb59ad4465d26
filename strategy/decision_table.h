#pragma once

#include <array>

#include "table/rules.h"

// Expected results per unit of stake for one player total, hard or soft.
struct DecisionEntry {
  double bestValue = 0.0;  // the better of standing and hitting
  int action = Stand;      // Stand, Hit, DoubleElseHit or DoubleElseStand
  double doubleValue = 0.0;
  double standValue = 0.0;
  double hitValue = 0.0;
};

struct DecisionRow {
  DecisionEntry hard;
  DecisionEntry soft;
  bool splitAdvised = false;  // for the pair whose two cards make this total
  double splitValue = 0.0;
};

// Rows indexed by the player's total 0..32; rows 22..32 are bust totals.
struct DecisionTable {
  static constexpr int kRows = 33;
  static constexpr int kTopTotal = 21;

  std::array<DecisionRow, kRows> rows{};

  DecisionRow& operator[](int total) { return rows[total]; }
  const DecisionRow& operator[](int total) const { return rows[total]; }
};
