#include "table/simulator.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int kBlackjackTotal = 21;

// The stake counts as a whole number of units, truncated toward zero. Stakes
// beyond the int range (or NaN) cannot come from a sane bet rule; they are
// clamped rather than converted with undefined behaviour.
int wholeStake(double stake) {
  constexpr auto kLimit = static_cast<double>(std::numeric_limits<int>::max());
  if (std::isnan(stake)) {
    return 0;
  }
  return static_cast<int>(std::trunc(std::fmax(-kLimit, std::fmin(kLimit, stake))));
}

double handResult(const Hand& hand, bool dealerBlackjack, int dealerTotal, const GameRules& rules) {
  const int s = wholeStake(hand.stake);
  // An even-money split 21 settles like any other 21.
  const bool playerBlackjack =
      hand.isBlackjack() && (!hand.fromSplit || rules.splitTwentyOnePaysBlackjack);
  const int total = hand.total();
  if (dealerBlackjack) {
    return playerBlackjack ? 0.0 : -s;
  }
  if (playerBlackjack) {
    return 1.5 * s;
  }
  if (total > kBlackjackTotal) {
    return -s;
  }
  if (dealerTotal > kBlackjackTotal || dealerTotal < total) {
    return s;
  }
  return dealerTotal > total ? -s : 0.0;
}

// Truncation toward zero; the true count always lies within -52..52.
int bookedCount(double trueCount) {
  return static_cast<int>(trueCount);
}

void setSplitPermissions(AfterSplit rule, Hand& first, Hand& second) {
  switch (rule) {
    case AfterSplit::KeepFirst:
      second.canDouble = false;
      second.canSplit = false;
      return;
    case AfterSplit::NoDoubleNoSplit:
      first.canDouble = second.canDouble = false;
      first.canSplit = second.canSplit = false;
      return;
    case AfterSplit::DoubleNoSplit:
      first.canDouble = second.canDouble = true;
      first.canSplit = second.canSplit = false;
      return;
    case AfterSplit::DoubleAndSplit:
      first.canDouble = second.canDouble = true;
      first.canSplit = second.canSplit = true;
      return;
  }
}

}  // namespace

Simulator::Simulator(DealerRuleFn dealerRule, PlayerDecision playerRule, BetRuleFn betRule,
                     const GameRules& rules, RandomSource& random, TableObserver& observer)
    : dealerRule_(dealerRule),
      playerRule_(std::move(playerRule)),
      betRule_(betRule),
      rules_(rules),
      observer_(&observer),
      deck_(rules.decks, true, random) {
  // Rounds past the first then reuse this storage: more hands than this
  // takes four splits in one round.
  hands_.reserve(kReservedHands);
}

void Simulator::newRound() {
  if (deck_.cardsLeft() <= Deck::kCardsPerDeck * deck_.numDecks() - rules_.reshuffleAfter) {
    deck_.shuffle();
  }
  dealer_ = Hand{};
  hands_.clear();
  hands_.emplace_back();
}

void Simulator::simulate(int rounds, bool verbose) {
  for (int i = 1; i <= rounds; ++i) {
    if (rounds % i == 0) {
      observer_->progress(i, rounds);
    }
    const RoundResult result = playRound(i, verbose);
    record(result.count, result.payoff);
  }
  observer_->simulationDone();
}

RoundResult Simulator::playRound(int number, bool verbose) {
  newRound();
  hands_[0].stake = betRule_(&deck_);
  const double trueCount = deck_.trueCount();
  dealTo(hands_[0]);
  dealTo(dealer_);
  dealTo(hands_[0]);
  dealTo(dealer_);
  if (verbose) {
    observer_->roundDealt(number, dealer_, hands_[0]);
  }
  RoundResult result;
  result.count = bookedCount(trueCount);
  if (!dealer_.isBlackjack()) {
    result.decisions = playPlayerTurn();
  }
  playDealerTurn();
  if (verbose) {
    observer_->roundSettled(dealer_, hands_);
  }
  result.payoff = settle();
  return result;
}

void Simulator::dealTo(Hand& hand) {
  if (deck_.cardsLeft() == 0) {
    observer_->shoeExhausted();
  }
  hand.addCard(deck_.deal());
}

int Simulator::playPlayerTurn() {
  int decisions = 0;
  // Splits append hands; they are played in the same turn, after the others.
  for (std::size_t k = 0; k < hands_.size(); ++k) {
    decisions += playHand(k);
  }
  return decisions;
}

int Simulator::playHand(std::size_t k) {
  int asked = 0;
  int decisions = 0;
  while (hands_[k].total() <= kBlackjackTotal) {
    ++asked;
    switch (playerRule_(DecisionContext{&deck_, dealer_, hands_[k], &rules_})) {
      case Stand:
        return asked;
      case Double:
        dealTo(hands_[k]);
        hands_[k].canDouble = false;
        hands_[k].stake *= 2;
        return asked;
      case Hit:
        dealTo(hands_[k]);
        break;
      case Split:
        splitHand(k);
        break;
      default:
        break;
    }
    if (++decisions > kMaxDecisions) {
      observer_->handTooLong(hands_[k]);
      return asked;
    }
  }
  return asked;
}

void Simulator::splitHand(std::size_t k) {
  if (hands_.size() >= kMaxHands || hands_[k].cards.empty()) {
    return;
  }
  const int card = hands_[k].cards[0];
  hands_[k].cards.eraseFirst();
  dealTo(hands_[k]);
  Hand split;
  split.addCard(card);
  dealTo(split);
  split.stake = hands_[k].stake;
  split.fromSplit = hands_[k].fromSplit = true;
  setSplitPermissions(rules_.afterSplit, hands_[k], split);
  hands_.push_back(split);
}

void Simulator::playDealerTurn() {
  // Any answer but Hit ends the turn, so a rule cannot stall it.
  while (dealer_.total() <= kBlackjackTotal &&
         dealerRule_(DecisionContext{&deck_, dealer_, dealer_, &rules_}) == Hit) {
    dealTo(dealer_);
  }
}

double Simulator::settle() const {
  const int dealerTotal = dealer_.total();
  const bool dealerBlackjack = dealer_.isBlackjack();
  double roundPayoff = 0.0;
  for (const Hand& hand : hands_) {
    roundPayoff += handResult(hand, dealerBlackjack, dealerTotal, rules_);
  }
  return roundPayoff;
}
