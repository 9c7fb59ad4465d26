#include "study/study_player.h"

namespace {

CountWeights rampOf(const StudyConfig& config) {
  return config.ramp ? config.ramp->weights() : CountWeights{};
}

}  // namespace

StudyPlayer::StudyPlayer(const StudyResult& result, DeviationTally* deviations)
    : study_(result.config, deviations),
      weighted_(truecountWeights()),
      studyRamp_(rampOf(result.config)),
      variantRamp_(result.variant ? rampOf(result.variant->config) : CountWeights{}) {
  if (result.variant) {
    variant_.emplace(result.variant->config);
  }
}

bool StudyPlayer::play(std::uint64_t block, StudyResult& into, const std::atomic<int>& stop) {
  if (!variant_) {
    return study_.play(block, into.tally, into.events, stop);
  }
  if (!study_.playRounds(block, stop) || !variant_->playRounds(block, stop)) {
    return false;
  }
  Variant& variant = *into.variant;
  study_.fold(into.tally, into.events);
  variant_->fold(variant.tally, variant.events);
  const bool ramps = into.config.ramp && variant.config.ramp;
  variant.cross.addBlock(study_.blockTally(), variant_->blockTally(), weighted_,
                         ramps ? &studyRamp_ : nullptr, ramps ? &variantRamp_ : nullptr);
  return true;
}
