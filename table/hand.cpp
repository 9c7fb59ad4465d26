#include "table/hand.h"

#include <iostream>

void Hand::removeFirstCard() {
  if (cards_.empty()) {
    return;
  }
  const int first = cards_[0];
  low_ -= first;
  aces_ -= first == 1 ? 1 : 0;
  settleTotal();
  cards_.eraseFirst();
}

void Hand::print() const {
  std::cout << total() << " -";
  for (const int card : cards_) {
    if (card == 1) {
      std::cout << " A";
    } else {
      std::cout << ' ' << card;
    }
  }
  std::cout << std::endl;
}
