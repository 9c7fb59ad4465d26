#include "study/block_play.h"

#include "deck/random_source.h"
#include "table/simulator.h"
#include "table/table_observer.h"

namespace {

class EventCounter final : public TableObserver {
 public:
  explicit EventCounter(EventCounts& counts) : counts_(counts) {}
  void shoeExhausted() override { ++counts_.shoeExhausted; }
  void handTooLong(const Hand& /*hand*/) override { ++counts_.overlongHands; }

 private:
  EventCounts& counts_;
};

}  // namespace

EventCounts& EventCounts::operator+=(const EventCounts& other) {
  decisions += other.decisions;
  shoeExhausted += other.shoeExhausted;
  overlongHands += other.overlongHands;
  return *this;
}

BlockPlayer::BlockPlayer(const StudyConfig& config)
    : config_(config),
      weighted_(truecountWeights()),
      ramp_(config.ramp ? config.ramp->weights() : CountWeights{}) {
  if (config.strategy == Strategy::Basic) {
    basic_.emplace(config.rules);
  }
}

bool BlockPlayer::play(std::uint64_t block, StudyTally& tally, EventCounts& events,
                       const std::atomic<int>& stop) {
  if (!playRounds(block, stop)) {
    return false;
  }
  fold(tally, events);
  return true;
}

bool BlockPlayer::playRounds(std::uint64_t block, const std::atomic<int>& stop) {
  StreamRandom random(config_.seed, block);
  blockEvents_ = EventCounts{};
  EventCounter counter(blockEvents_);
  Simulator::PlayerDecision player = PlayerRule;
  if (config_.strategy == Strategy::Visible) {
    player = VisiblePlayerRule;
  } else if (config_.strategy == Strategy::Basic) {
    player = [this](const DecisionContext& context) { return (*basic_)(context); };
  }
  Simulator table(DealerRule, player, BetRule, config_.rules, random, counter);
  blockTally_.clear();
  const std::uint64_t rounds = config_.roundsInBlock(block);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    // A relaxed load of a flag that almost never changes: nearly free.
    if (stop.load(std::memory_order_relaxed) >= kStopNow) {
      return false;
    }
    const RoundResult result = table.playRound(0, false);
    blockEvents_.decisions += static_cast<std::uint64_t>(result.decisions);
    blockTally_.record(result.count, result.payoffUnits);
  }
  return true;
}

void BlockPlayer::fold(StudyTally& tally, EventCounts& events) const {
  tally.addBlock(blockTally_, weighted_, config_.ramp ? &ramp_ : nullptr);
  events += blockEvents_;
}
