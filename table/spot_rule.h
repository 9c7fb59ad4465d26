#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "count/count_steps.h"

// The hands a player plays side by side in a round, each on a seat of its
// own, by the count at the round's start: steps COUNT:HANDS, each from its
// count upward, one hand below the first step.
struct SpotRule {
  static constexpr int kMostHands = 7;  // every seat of the table

  std::vector<CountStep> steps;  // counts strictly ascending

  int handsAt(int count) const {
    int hands = 1;
    for (const CountStep& step : steps) {
      if (count < step.fromCount) {
        break;
      }
      hands = static_cast<int>(step.value);
    }
    return hands;
  }
  // The most hands the rule ever plays.
  int most() const;
  // The canonical text, such as "2:2,4:3".
  std::string text() const { return countStepsText(steps); }
  bool operator==(const SpotRule&) const = default;
};

// Reads COUNT:HANDS steps, hands from 1 to kMostHands; gives the rule or a
// message saying what was wrong and what is accepted.
std::variant<SpotRule, std::string> parseSpots(std::string_view text);
