#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A value that holds from a whole true count upward, until the next step: a
// ramp's stake, the hands a player spreads to.
struct CountStep {
  int fromCount;
  std::int64_t value;
  bool operator==(const CountStep&) const = default;
};

// How a list of steps is named in its messages: "ramp", "COUNT:STAKE",
// "stakes must be whole units from 1 to 100000", "\"-60:1,1:2,2:4\"".
struct StepsForm {
  std::string_view what;
  std::string_view item;
  std::string_view valueRule;
  std::string_view example;
  std::int64_t leastValue;
  std::int64_t mostValue;
};

// Reads comma-separated COUNT:VALUE steps, counts from -kCountLimit to
// kCountLimit strictly ascending, values whole within the form's bounds;
// whitespace around items and their parts is allowed. Gives the steps, or a
// message saying what was wrong and what is accepted.
std::variant<std::vector<CountStep>, std::string> parseCountSteps(std::string_view text,
                                                                  const StepsForm& form);

// The canonical text, such as "-60:1,1:2,2:4": equal steps give equal text.
std::string countStepsText(const std::vector<CountStep>& steps);
