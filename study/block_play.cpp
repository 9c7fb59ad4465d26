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
  roundsWatched += other.roundsWatched;
  shoes += other.shoes;
  shoesCounted = shoesCounted && other.shoesCounted;
  return *this;
}

namespace {

CardCounter counterOf(const StudyConfig& config) {
  const auto system = config.countSystem();
  return system ? CardCounter(*system, config.rules.decks, config.conversion) : CardCounter();
}

}  // namespace

BlockPlayer::BlockPlayer(const StudyConfig& config, DeviationTally* deviations)
    : config_(config),
      rules_(config.indices ? rulesWithIndexInsurance(config.rules, *config.indices)
                            : config.rules),
      counter_(counterOf(config)),
      deviations_(deviations),
      weighted_(truecountWeights()),
      ramp_(config.ramp ? config.ramp->weights() : CountWeights{}) {
  if (deviations != nullptr) {
    pricer_.emplace(rules_, counter_, *deviations);
  } else if (config.strategy == Strategy::Basic) {
    counting_.emplace(rules_, config.indices.value_or(IndexPlays{}), counter_);
  }
  if (config.players > 1) {
    others_.emplace(config.rules, IndexPlays{}, counter_);
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
  EventCounter observer(blockEvents_);
  Player* player = counting_ ? static_cast<Player*>(&*counting_) : pricer_ ? &*pricer_ : nullptr;
  Simulator table =
      player != nullptr
          ? Simulator(DealerRule, *player, BetRule, rules_, random, observer)
          : Simulator(DealerRule,
                      config_.strategy == Strategy::Visible ? VisiblePlayerRule : PlayerRule,
                      BetRule, rules_, random, observer);
  if (config_.countSystem()) {
    counter_.shuffled();  // the block's fresh shoe
    table.showCardsTo(counter_);
  }
  if (others_) {
    table.seatOthers(*others_, config_.players, config_.seat);
  }
  Wonging wonging(config_.wong);
  blockTally_.clear();
  const std::uint64_t rounds = config_.roundsInBlock(block);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    // A relaxed load of a flag that almost never changes: nearly free.
    if (stop.load(std::memory_order_relaxed) >= kStopNow) {
      if (deviations_ != nullptr) {
        deviations_->dropBlock();
      }
      return false;
    }
    const RoundResult result = table.playRound(0, false);
    blockEvents_.shoes += result.freshShoe ? 1 : 0;
    if (!wonging.plays(result.count, result.freshShoe)) {
      ++blockEvents_.roundsWatched;
      continue;
    }
    blockEvents_.decisions += static_cast<std::uint64_t>(result.decisions);
    blockTally_.record(result.count, result.payoffUnits);
  }
  return true;
}

void BlockPlayer::fold(StudyTally& tally, EventCounts& events) {
  tally.addBlock(blockTally_, weighted_, config_.ramp ? &ramp_ : nullptr);
  events += blockEvents_;
  if (deviations_ != nullptr) {
    deviations_->endBlock();
  }
}
