#include "study/study_config.h"

std::uint64_t StudyConfig::roundsInBlock(std::uint64_t block) const {
  const std::uint64_t first = block * blockSize;
  if (first >= rounds) {
    return 0;
  }
  return rounds - first < blockSize ? rounds - first : blockSize;
}
