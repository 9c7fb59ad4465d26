#pragma once

#include "table/card_list.h"

// One blackjack hand: card values (ace held as 1), the stake riding on it, the
// two permissions the player rule consults, whether it came from a split pair
// and whether it was surrendered. A plain value type whose total is kept as
// the cards arrive, so that every look at it is a lookup. Moving a hand
// copies it, so a moved-from hand keeps its cards and its total.
struct Hand {
  double stake = 1.0;
  bool canDouble = true;
  bool canSplit = true;
  bool fromSplit = false;
  bool surrendered = false;

  Hand() = default;
  Hand(const Hand&) = default;
  Hand& operator=(const Hand&) = default;
  ~Hand() = default;

  const CardList& cards() const { return cards_; }
  // The blackjack total; `soft` is set when an ace counts 11.
  int total(bool& soft) const {
    soft = soft_;
    return total_;
  }
  int total() const {
    bool soft = false;
    return total(soft);
  }
  bool isBlackjack() const { return cards_.size() == 2 && total() == 21; }
  // 1 and 11 add an ace, 2..10 their value; any other code is ignored.
  void addCard(int card) {
    const int value = card == 11 ? 1 : card;
    if (value >= 1 && value <= 10) {
      cards_.push_back(value);
      low_ += value;
      aces_ += value == 1 ? 1 : 0;
      settleTotal();
    }
  }
  // Takes the first card away (a split pair's second hand leaves with it).
  void removeFirstCard();
  // An empty hand with the defaults of a new one, its storage kept.
  void reset() {
    cards_.clear();
    low_ = 0;
    aces_ = 0;
    total_ = 0;
    soft_ = false;
    stake = 1.0;
    canDouble = canSplit = true;
    fromSplit = surrendered = false;
  }
  // Writes "<total> - <cards>" and ends the line on standard output.
  void print() const;

 private:
  // The total and softness of low_ and aces_, kept for every look at them.
  void settleTotal() {
    soft_ = aces_ > 0 && low_ <= 11;
    total_ = soft_ ? low_ + 10 : low_;
  }

  CardList cards_;
  int low_ = 0;  // every ace counted as 1
  int aces_ = 0;
  int total_ = 0;
  bool soft_ = false;
};
