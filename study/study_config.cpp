#include "study/study_config.h"

#include <algorithm>

std::optional<CountSystem> StudyConfig::countSystem() const {
  return countTags ? countTags : countNamed(countName);
}

double StudyConfig::roundsPerHour() const {
  // The rounds an hour a dealer deals to one player alone at the table, as
  // the published tables of hands per hour give it.
  constexpr double kOnePlayerPace = 209;
  return hourlyRounds.value_or(kOnePlayerPace);
}

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  return std::min(blockSize, rounds - std::min(rounds, block * blockSize));
}
