#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "study/study_result.h"
#include "table/simulator.h"

// The most a round can win or lose, in payoff units: a bound over every hand
// the table allows in one round, none of which can move more than three
// stakes (a doubled hand wins or loses two, a blackjack pays at most two).
inline constexpr std::int64_t kMostRoundPayoff =
    static_cast<std::int64_t>(Simulator::kMaxHands) * 3 * kPayoffUnitsPerStake;

// The most events of each kind (decisions, exhausted shoes, hands ended at
// the decision limit) one round can count: a bound over every hand's turns.
inline constexpr std::int64_t kMostRoundEvents =
    static_cast<std::int64_t>(Simulator::kMaxHands) * (Simulator::kMaxDecisions + 2);

// Why a study's tallies and events cannot have come from playing the blocks it
// lists under its settings; none when they can. Every tally is checked
// against the others: the rounds and the blocks' sizes, the sums over the
// counts, the stakes of the weighted and ramp series, parity and bounds that
// keep every later product within 128 bits. A comparison's variant is checked
// as a study of its own, its settings against the study's, and the cross sums
// against both sides' (no cross sum exceeds the Cauchy-Schwarz bound of the
// two sides' block sums, and those of the series that hold every round
// follow from the sides' own).
std::optional<std::string> studyProblem(const StudyResult& result);
