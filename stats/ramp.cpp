#include "stats/ramp.h"

#include <algorithm>
#include <cmath>

#include "stats/double_double.h"
#include "text/number_text.h"

CountWeights Ramp::weights() const {
  CountWeights stakes{};
  stakes.fill(steps.empty() ? 1 : steps.front().value);
  for (const RampStep& step : steps) {
    for (int count = step.fromCount; count <= kHighestCount; ++count) {
      stakes[countSlot(count)] = step.value;
    }
  }
  return stakes;
}

std::string Ramp::text() const {
  return countStepsText(steps);
}

std::variant<Ramp, std::string> parseRamp(std::string_view text) {
  static constexpr StepsForm kRampForm{
      "ramp", "COUNT:STAKE",  "stakes must be whole units from 1 to 100000", R"("-60:1,1:2,2:4")",
      1,      Ramp::kMaxStake};
  auto steps = parseCountSteps(text, kRampForm);
  if (auto* error = std::get_if<std::string>(&steps)) {
    return std::move(*error);
  }
  return Ramp{std::get<std::vector<CountStep>>(std::move(steps))};
}

std::variant<Spread, std::string> parseSpread(std::string_view text) {
  // "1-12" as players write a spread, or "1:12".
  const auto colon = text.find_first_of(":-");
  const std::string_view least = text.substr(0, colon);
  const std::string_view most = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  const auto lowest = readWhole(least, 1, Ramp::kMaxStake);
  const auto highest = readWhole(most, 1, Ramp::kMaxStake);
  if (!lowest || !highest || *lowest > *highest) {
    return "expected MIN-MAX or MIN:MAX, whole units with 1 <= MIN <= MAX <= " +
           std::to_string(Ramp::kMaxStake) + ", such as 1-12";
  }
  return Spread{*lowest, *highest};
}

double kellyStake(const SeriesTally& count, const KellySizing& sizing) {
  if (count.sumSquares == 0) {
    return 0.0;
  }
  const double ratio =
      (DoubleDouble::of(count.sum * kPayoffUnitsPerStake) / DoubleDouble::of(count.sumSquares))
          .rounded();
  return sizing.fraction * sizing.bankroll * ratio;
}

Ramp kellyRamp(const StudyTally& tally, const KellySizing& sizing) {
  // Runs of adjacent counts that share a stake, from their first count up.
  struct Pool {
    int from;
    SeriesTally tally;
  };
  std::vector<Pool> pools;
  for (int count = kLowestCount; count <= kHighestCount; ++count) {
    const SeriesTally& t = tally.counts[countSlot(count)];
    if (t.rounds == 0 || t.rounds < sizing.minRounds) {
      continue;
    }
    pools.push_back({count, t});
    // A count whose stake would fall below the one under it joins it: one
    // stake over several counts makes the bankroll grow fastest at their
    // pooled ΣS/ΣQ, so pooling adjacent violators gives the growth-optimal
    // ramp that never falls.
    while (!sizing.mayFall && pools.size() > 1 &&
           kellyStake(pools[pools.size() - 2].tally, sizing) >
               kellyStake(pools.back().tally, sizing)) {
      pools[pools.size() - 2].tally += pools.back().tally;
      pools.pop_back();
    }
  }
  const Spread spread = sizing.spread;
  Ramp ramp;
  for (const Pool& pool : pools) {
    std::int64_t stake = spread.least;
    if (pool.tally.sum > 0) {
      const double kelly = kellyStake(pool.tally, sizing);
      stake = kelly >= static_cast<double>(spread.most)
                  ? spread.most
                  : std::max(spread.least, static_cast<std::int64_t>(std::llround(kelly)));
    }
    if (ramp.steps.empty()) {
      ramp.steps.push_back({kLowestCount, stake});
    } else if (stake != ramp.steps.back().value) {
      ramp.steps.push_back({pool.from, stake});
    }
  }
  if (ramp.steps.empty()) {
    ramp.steps.push_back({kLowestCount, spread.least});
  }
  return ramp;
}

std::int64_t defaultMinRounds(const StudyTally& tally) {
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(tally.all.rounds / 1000));
}
