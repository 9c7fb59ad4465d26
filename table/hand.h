#pragma once

#include "table/card_list.h"

// One blackjack hand: card values (ace held as 1), the stake riding on it, the
// two permissions the player rule consults, whether it came from a split pair
// and whether it was surrendered. A plain value type.
struct Hand {
  CardList cards;
  double stake = 1.0;
  bool canDouble = true;
  bool canSplit = true;
  bool fromSplit = false;
  bool surrendered = false;

  // The blackjack total; `soft` is set when an ace counts 11.
  int total(bool& soft) const;
  int total() const {
    bool soft = false;
    return total(soft);
  }
  bool isBlackjack() const;
  // 1 and 11 add an ace, 2..10 their value; any other code is ignored.
  void addCard(int card);
  // Writes "<total> - <cards>" and ends the line on standard output.
  void print() const;
};
