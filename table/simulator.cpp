#include "table/simulator.h"

#include <cmath>
#include <iostream>
#include <limits>

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

double handResult(const Hand& hand, bool dealerBlackjack, int dealerTotal) {
  const int s = wholeStake(hand.stake);
  const bool playerBlackjack = hand.isBlackjack();
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

}  // namespace

Simulator::Simulator(DealerRuleFn dealerRule, PlayerRuleFn playerRule, BetRuleFn betRule,
                     bool doubleAfterSplit, bool resplitAllowed, int numDecks, bool valueMode)
    : dealerRule_(dealerRule),
      playerRule_(playerRule),
      betRule_(betRule),
      doubleAfterSplit_(doubleAfterSplit),
      resplitAllowed_(resplitAllowed),
      deck_(numDecks, valueMode) {}

void Simulator::newRound() {
  if (deck_.cardsLeft() <= Deck::kCardsPerDeck * deck_.numDecks() - kReshuffleDepth) {
    deck_.shuffle();
  }
  dealer_ = Hand{};
  hands_.clear();
  hands_.emplace_back();
}

void Simulator::simulate(int rounds, bool verbose) {
  for (int i = 1; i <= rounds; ++i) {
    if (rounds % i == 0) {
      std::cout << i << " / " << rounds << " simulated." << std::endl;
    }
    playRound(i, verbose);
  }
  std::cout << std::endl;
}

void Simulator::playRound(int number, bool verbose) {
  newRound();
  hands_[0].stake = betRule_(&deck_);
  const double trueCount = deck_.trueCount();
  dealTo(hands_[0]);
  dealTo(dealer_);
  dealTo(hands_[0]);
  dealTo(dealer_);
  if (verbose) {
    printOpeningTrace(number);
  }
  if (!dealer_.isBlackjack()) {
    playPlayerTurn();
  }
  playDealerTurn();
  record(bookedCount(trueCount), settle(verbose));
}

void Simulator::printOpeningTrace(int number) const {
  std::cout << std::endl;
  std::cout << "***NEW ROUND*** #" << number << std::endl;
  std::cout << "Dealer: ";
  dealer_.print();
  std::cout << "Player: ";
  hands_[0].print();
  std::cout << std::endl;
}

void Simulator::playPlayerTurn() {
  // Splits append hands; they are played in the same turn, after the others.
  for (std::size_t k = 0; k < hands_.size(); ++k) {
    playHand(k);
  }
}

void Simulator::playHand(std::size_t k) {
  int decisions = 0;
  while (hands_[k].total() <= kBlackjackTotal) {
    switch (playerRule_(DecisionContext{&deck_, dealer_, hands_[k]})) {
      case Stand:
        return;
      case Double:
        dealTo(hands_[k]);
        hands_[k].canDouble = false;
        hands_[k].stake *= 2;
        return;
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
      std::cerr << "WARNING: too many cards in a hand ";
      hands_[k].print();
      return;
    }
  }
}

void Simulator::splitHand(std::size_t k) {
  if (hands_.size() >= kMaxHands || hands_[k].cards.empty()) {
    return;
  }
  const int card = hands_[k].cards[0];
  hands_[k].cards.eraseFirst();
  dealTo(hands_[k]);
  Hand split;
  split.canDouble = doubleAfterSplit_;
  split.canSplit = resplitAllowed_;
  split.addCard(card);
  dealTo(split);
  split.stake = hands_[k].stake;
  hands_.push_back(split);
}

void Simulator::playDealerTurn() {
  // Any answer but Hit ends the turn, so a rule cannot stall it.
  while (dealer_.total() <= kBlackjackTotal &&
         dealerRule_(DecisionContext{&deck_, dealer_, dealer_}) == Hit) {
    dealTo(dealer_);
  }
}

double Simulator::settle(bool verbose) const {
  const int dealerTotal = dealer_.total();
  const bool dealerBlackjack = dealer_.isBlackjack();
  if (verbose) {
    std::cout << "Dealer: ";
    dealer_.print();
  }
  double roundPayoff = 0.0;
  for (const Hand& hand : hands_) {
    if (verbose) {
      std::cout << "Player: ";
      hand.print();
    }
    roundPayoff += handResult(hand, dealerBlackjack, dealerTotal);
  }
  return roundPayoff;
}
