#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "count/count_steps.h"
#include "stats/tally.h"

// A bet ramp: the stake per true count, as steps "COUNT:STAKE" that each hold
// from their count upward until the next step. Counts below the first step's
// count bet the first step's stake. Stakes are whole units, so that the
// ramp's weighted tallies stay exact integers.
using RampStep = CountStep;  // the step's value is its stake

struct Ramp {
  static constexpr std::int64_t kMaxStake = 100000;

  std::vector<RampStep> steps;  // counts strictly ascending

  // The stake at every count; one unit everywhere for a ramp without steps.
  CountWeights weights() const;
  // The canonical text, such as "-60:1,1:2,2:4": equal ramps give equal text.
  std::string text() const;
};

// Reads comma-separated COUNT:STAKE steps, counts from -60 to 60 strictly
// ascending, stakes whole units from 1 to kMaxStake; whitespace around items
// and their parts is allowed. Gives the ramp, or a message saying what was
// wrong and what is accepted.
std::variant<Ramp, std::string> parseRamp(std::string_view text);

// The least and most stake of a ramp, whole units.
struct Spread {
  std::int64_t least;
  std::int64_t most;
};

// Reads MIN-MAX or MIN:MAX, whole units with 1 <= MIN <= MAX <=
// Ramp::kMaxStake; gives the spread or a message saying what is accepted.
std::variant<Spread, std::string> parseSpread(std::string_view text);

// How a growth-optimal ramp is sized.
struct KellySizing {
  Spread spread;
  double bankroll = 0.0;  // units
  double fraction = 1.0;  // of the Kelly stake
  // Counts with fewer rounds are passed over as if they had none: their few
  // rounds' mean is noise that would set their stake by luck.
  std::int64_t minRounds = 1;
  // Whether a higher count may bet less than a lower one.
  bool mayFall = false;
};

// The fraction of the Kelly stake at a count: fraction × bankroll × mean /
// E[x²], the mean and second moment of a round's payoff at one unit there
// (their ratio is kPayoffUnitsPerStake·S/Q of the count's tallies); 0 for a
// count whose every round was a push.
double kellyStake(const SeriesTally& count, const KellySizing& sizing);

// The ramp that makes a bankroll grow fastest on a study's counts: at each
// count with at least minRounds rounds, its kellyStake rounded to whole
// units, halves away from zero, and held within the spread; the least stake
// where the mean is not positive. Any other count bets as the count below
// it, the counts below the lowest as the lowest: the ramp's steps start at
// the lowest count of all and change only at counts that have their own
// stake. Without such counts, the least stake everywhere. Unless it may
// fall, a count whose stake would be below that of the counts under it is
// pooled with them, their tallies summed: the growth-optimal ramp that never
// falls as the count rises.
Ramp kellyRamp(const StudyTally& tally, const KellySizing& sizing);

// The rounds a count needs, unless asked otherwise, for a stake of its own:
// one in a thousand of the rounds played (at least one). A rarer count adds
// little to the win, and its few rounds' mean is mostly noise.
std::int64_t defaultMinRounds(const StudyTally& tally);
