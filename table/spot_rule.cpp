#include "table/spot_rule.h"

#include <algorithm>

int SpotRule::most() const {
  int most = 1;
  for (const CountStep& step : steps) {
    most = std::max(most, static_cast<int>(step.value));
  }
  return most;
}

std::variant<SpotRule, std::string> parseSpots(std::string_view text) {
  static constexpr StepsForm kSpotsForm{
      "spots", "COUNT:HANDS",       "hands must be whole numbers from 1 to 7", R"("2:2,4:3")",
      1,       SpotRule::kMostHands};
  auto steps = parseCountSteps(text, kSpotsForm);
  if (auto* error = std::get_if<std::string>(&steps)) {
    return std::move(*error);
  }
  return SpotRule{std::get<std::vector<CountStep>>(std::move(steps))};
}
