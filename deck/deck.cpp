#include "deck/deck.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace {

constexpr int kMaxDecks = 1 << 16;  // keeps 52 x decks far from int overflow
constexpr int kAceCode = 11;        // second code for the ace in value mode
// The double nearest 1/52: multiplying by it is not always dividing by 52.
constexpr double kOneOverDeckSize = 0.019230769230769232;

bool isHighRank(int index) {
  return index == 0 || index >= 8;
}
bool isLowRank(int index) {
  return index >= 1 && index <= 6;
}

}  // namespace

Deck::Deck(int numDecks, bool valueMode, RandomSource& random)
    : random_(&random), numDecks_(std::clamp(numDecks, 1, kMaxDecks)), valueMode_(valueMode) {
  const int perRank = 4 * numDecks_;
  for (int index = 0; index < kRanks; ++index) {
    ordered_.insert(ordered_.end(), perRank, index);
    dealtAs_[index] = valueMode_ && index >= 10 ? 10 : index + 1;
  }
  sequence_.reserve(ordered_.size());
  shuffle();
}

void Deck::shuffle() {
  sequence_.assign(ordered_.begin(), ordered_.end());
  cardsLeft_ = kCardsPerDeck * numDecks_;
  rankCounts_.fill(4 * numDecks_);
  random_->shuffle(sequence_);
}

int Deck::rankIndexOf(int card) const {
  if (valueMode_ && card == kAceCode) {
    card = 1;
  }
  return card >= 1 && card <= kRanks ? card - 1 : -1;
}

void Deck::moveToBack(std::vector<int>::size_type position) {
  std::swap(sequence_[position], sequence_.back());
}

int Deck::dealForced(int card) {
  while (cardsLeft_ == 0) {
    std::cerr << "No more card!!" << std::endl;
    shuffle();
  }
  if (!valueMode_ && remaining(card) == 0) {
    std::cerr << "The card to be forced does not exist, another card is dealt" << std::endl;
    return deal();
  }
  const int index = rankIndexOf(card);
  const auto found = std::find(sequence_.begin(), sequence_.end(), index);
  if (index < 0 || found == sequence_.end()) {
    return -1;
  }
  moveToBack(static_cast<std::vector<int>::size_type>(found - sequence_.begin()));
  return deal();
}

int Deck::remaining(int card) const {
  if (valueMode_) {
    if (card == 10) {
      return rankCounts_[9] + rankCounts_[10] + rankCounts_[11] + rankCounts_[12];
    }
    if (card == kAceCode) {
      return rankCounts_[0];
    }
    return card >= 1 && card <= 9 ? rankCounts_[card - 1] : 0;
  }
  return card >= 1 && card <= kRanks ? rankCounts_[card - 1] : 0;
}

double Deck::trueCount() const {
  if (cardsLeft_ == 0) {
    return 0.0;
  }
  int high = 0;
  int low = 0;
  for (int index = 0; index < kRanks; ++index) {
    high += isHighRank(index) ? rankCounts_[index] : 0;
    low += isLowRank(index) ? rankCounts_[index] : 0;
  }
  return static_cast<double>(high - low) / (static_cast<double>(cardsLeft_) * kOneOverDeckSize);
}

bool Deck::stackNext(std::span<const int> cards) {
  const auto dealtAs = [this](int index) {
    const int rank = index + 1;
    return valueMode_ && rank > 10 ? 10 : rank;
  };
  std::vector<int> rest = sequence_;
  std::vector<int> top;
  for (const int card : cards) {
    const int wanted = valueMode_ ? (card == kAceCode ? 1 : card) : card;
    const auto found =
        std::find_if(rest.begin(), rest.end(), [&](int index) { return dealtAs(index) == wanted; });
    if (found == rest.end()) {
      return false;
    }
    top.push_back(*found);
    rest.erase(found);
  }
  rest.insert(rest.end(), top.rbegin(), top.rend());
  sequence_ = std::move(rest);
  return true;
}
