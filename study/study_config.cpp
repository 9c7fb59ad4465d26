#include "study/study_config.h"

#include <algorithm>
#include <array>

#include "table/simulator.h"

std::optional<CountSystem> StudyConfig::countSystem() const {
  return countTags ? countTags : countNamed(countName);
}

double StudyConfig::roundsPerHour() const {
  // The rounds an hour a dealer deals to one to seven players, as the
  // published tables of hands per hour give them.
  constexpr std::array<double, Simulator::kMaxPlayers> kPublishedPace{209, 139, 105, 84,
                                                                      70,  60,  52};
  return hourlyRounds.value_or(kPublishedPace.at(static_cast<std::size_t>(players - 1)));
}

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  return std::min(blockSize, rounds - std::min(rounds, block * blockSize));
}
