#include "driver/console_observer.h"

#include <iostream>

void ConsoleObserver::progress(int round, int rounds) {
  std::cout << round << " / " << rounds << " simulated." << std::endl;
}

void ConsoleObserver::roundDealt(int number, const Hand& dealer, const Hand& firstHand) {
  std::cout << std::endl;
  std::cout << "***NEW ROUND*** #" << number << std::endl;
  std::cout << "Dealer: ";
  dealer.print();
  std::cout << "Player: ";
  firstHand.print();
  std::cout << std::endl;
}

void ConsoleObserver::roundSettled(const Hand& dealer, const std::vector<Hand>& hands) {
  std::cout << "Dealer: ";
  dealer.print();
  for (const Hand& hand : hands) {
    std::cout << "Player: ";
    hand.print();
  }
}

void ConsoleObserver::shoeExhausted() {
  std::cout << "No more card, shuffle then deal" << std::endl;
}

void ConsoleObserver::handTooLong(const Hand& hand) {
  std::cerr << "WARNING: too many cards in a hand ";
  hand.print();
}

void ConsoleObserver::simulationDone() {
  std::cout << std::endl;
}
