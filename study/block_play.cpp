#include "study/block_play.h"

#include "deck/random_source.h"
#include "table/payoff_unit.h"
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
  blockTally_.clear();
  const bool played = deal(
      block, config_.roundsInBlock(block), stop, [this](const RoundResult& result, bool plays) {
        if (plays) {
          blockTally_.record(result.count, result.payoffUnits);
          if (config_.spots) {
            blockTally_.recordHands(result.count, result.hands, result.handSquares);
          }
        }
        return true;
      });
  if (!played && deviations_ != nullptr) {
    deviations_->dropBlock();
  }
  return played;
}

std::optional<TripOutcome> BlockPlayer::playTrip(std::uint64_t trip, const TripPlan& plan,
                                                 const std::atomic<int>& stop) {
  TripOutcome outcome{plan.bankroll, false, {}, 0, 0, 0};
  outcome.hourly.reserve(plan.hourEnds.size());
  std::uint64_t dealt = 0;
  const auto book = [this, &plan, &outcome, &dealt](const RoundResult& result, bool plays) {
    if (plays) {
      // Every hand of a spread round is staked alike.
      const std::int64_t stake = ramp_[countSlot(result.count)];
      if (outcome.bankroll < stake * result.hands * kPayoffUnitsPerStake) {
        outcome.ruined = true;
        return false;
      }
      const std::int64_t won = stake * result.payoffUnits;
      outcome.bankroll += won;
      outcome.sum += won;
      outcome.squares += Int128{won} * won;
    }
    ++dealt;
    if (outcome.hourly.size() < plan.hourEnds.size() &&
        plan.hourEnds[outcome.hourly.size()] == dealt) {
      outcome.hourly.push_back(outcome.bankroll);
    }
    return true;
  };
  if (!deal(trip, plan.rounds, stop, book)) {
    return std::nullopt;
  }
  // A ruined trip's bankroll stays where the ruin left it.
  outcome.hourly.resize(plan.hourEnds.size(), outcome.bankroll);
  outcome.dealt = dealt;
  return outcome;
}

template <typename Book>
bool BlockPlayer::deal(std::uint64_t stream, std::uint64_t rounds, const std::atomic<int>& stop,
                       Book book) {
  StreamRandom random(config_.seed, stream);
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
  if (config_.spots) {
    table.spreadBy(*config_.spots);
  }
  Wonging wonging(config_.wong);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    // A relaxed load of a flag that almost never changes: nearly free.
    if (stop.load(std::memory_order_relaxed) >= kStopNow) {
      return false;
    }
    const RoundResult result = table.playRound(0, false);
    blockEvents_.shoes += result.freshShoe ? 1 : 0;
    const bool plays = wonging.plays(result.count, result.freshShoe);
    if (plays) {
      blockEvents_.decisions += static_cast<std::uint64_t>(result.decisions);
    } else {
      ++blockEvents_.roundsWatched;
    }
    if (!book(result, plays)) {
      break;
    }
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
