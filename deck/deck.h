#pragma once

#include <array>
#include <span>
#include <vector>

#include "deck/random_source.h"

struct DealerOutcomes;
struct DecisionBounds;
struct DecisionTable;

// The shoe: several 52-card decks shuffled together. Keeps the undealt cards in
// dealing order plus a counter per rank, so composition queries never scan.
//
// Card codes are ranks 1..13 (1 ace, 11..13 jack, queen, king). In value mode
// the deck deals blackjack values 1..10 and treats 11 as a second code for the
// ace in `remaining` and `dealForced`.
class Deck {
 public:
  static constexpr int kRanks = 13;
  static constexpr int kCardsPerDeck = 52;

  // A count below 1 is raised to 1: an empty shoe could never be dealt from.
  // Shuffles draw from `random`, which must outlive the shoe.
  Deck(int numDecks, bool valueMode, RandomSource& random);

  // Refills the shoe with every card and shuffles it in place.
  void shuffle();
  // Deals the next card, reshuffling first when the shoe is empty (the table
  // reports that event; the shoe itself says nothing).
  int deal() {
    while (cardsLeft_ == 0) {
      shuffle();
    }
    const int index = sequence_.back();
    sequence_.pop_back();
    --rankCounts_[index];
    --cardsLeft_;
    return dealtAs_[index];
  }
  // Deals the requested card; -1 when value mode finds none of that rank.
  int dealForced(int card);
  int remaining(int card) const;
  double trueCount() const;

  int cardsLeft() const { return cardsLeft_; }
  int numDecks() const { return numDecks_; }
  bool valueMode() const { return valueMode_; }

  // Strategy engine: read-only calculations over the undealt composition.
  DealerOutcomes dealerOutcomes(int startTotal, bool startSoft, int dealerMode) const;
  DecisionTable buildDecisionTable(int upCard, int dealerMode) const;
  // The same table computed only down to the bounds' lowest rows.
  DecisionTable buildDecisionTable(int upCard, int dealerMode, const DecisionBounds& bounds) const;

  // Test seam, never used by the program: moves cards to the top of the shoe so
  // that they are dealt next, in the order given. Each is named by what `deal`
  // returns for it (in value mode 10 is any ten-valued card; 1 or 11 an ace).
  // Counts do not change. Returns false, leaving the shoe as it was, when a
  // card is missing.
  bool stackNext(std::span<const int> cards);

 private:
  int rankIndexOf(int card) const;
  void moveToBack(std::vector<int>::size_type position);

  RandomSource* random_;
  int numDecks_;
  bool valueMode_;
  std::array<int, kRanks> rankCounts_{};
  // What deal returns for each rank index: its rank, or in value mode its value.
  std::array<int, kRanks> dealtAs_{};
  int cardsLeft_ = 0;
  // Rank indexes 0..12; the back element is the next card to be dealt.
  std::vector<int> sequence_;
  // A full shoe in rank order, copied into sequence_ at every shuffle.
  std::vector<int> ordered_;
};
