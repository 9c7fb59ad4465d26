#include "table/hand.h"

#include <iostream>

int Hand::total(bool& soft) const {
  int aces = 0;
  int rest = 0;
  for (const int card : cards) {
    if (card == 1) {
      ++aces;
    } else {
      rest += card >= 10 && card <= 13 ? 10 : card;
    }
  }
  const int low = rest + aces;
  soft = aces > 0 && low <= 11;
  return soft ? low + 10 : low;
}

bool Hand::isBlackjack() const {
  return cards.size() == 2 && total() == 21;
}

void Hand::addCard(int card) {
  if (card == 1 || card == 11) {
    cards.push_back(1);
  } else if (card >= 2 && card <= 10) {
    cards.push_back(card);
  }
}

void Hand::print() const {
  std::cout << total() << " -";
  for (const int card : cards) {
    if (card == 1) {
      std::cout << " A";
    } else {
      std::cout << ' ' << card;
    }
  }
  std::cout << std::endl;
}
