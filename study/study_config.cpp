#include "study/study_config.h"

#include <algorithm>

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  return std::min(blockSize, rounds - std::min(rounds, block * blockSize));
}
