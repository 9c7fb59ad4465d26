#include "study/study_config.h"

#include <algorithm>

std::optional<CountSystem> StudyConfig::countSystem() const {
  return countTags ? countTags : countNamed(countName);
}

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  return std::min(blockSize, rounds - std::min(rounds, block * blockSize));
}
