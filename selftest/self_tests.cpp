#include "selftest/self_tests.h"

#include <array>
#include <iostream>

#include "deck/deck.h"
#include "table/hand.h"

bool testDeck() {
  Deck deck(1, true, CLibraryRandom::shared());
  bool ok = deck.dealForced(1) == 1;
  for (int i = 0; i < 9; ++i) {
    deck.deal();
  }
  ok = ok && deck.cardsLeft() == 42;
  deck.shuffle();
  return ok && deck.cardsLeft() == 52;
}

bool testCount() {
  Deck deck(2, true, CLibraryRandom::shared());
  bool ok = deck.dealForced(10) == 10;
  ok = deck.dealForced(11) == 1 && ok;
  ok = deck.dealForced(2) == 2 && ok;
  ok = deck.dealForced(3) == 3 && ok;
  return ok && deck.cardsLeft() == 100 && deck.trueCount() == 0.0;
}

namespace {

bool handIs(const Hand& hand, int expectedTotal, bool expectedSoft, bool expectedBlackjack) {
  bool soft = false;
  const int total = hand.total(soft);
  return total == expectedTotal && soft == expectedSoft && hand.isBlackjack() == expectedBlackjack;
}

}  // namespace

bool testHand() {
  Hand hand;
  hand.addCard(10);
  hand.addCard(10);
  bool ok = handIs(hand, 20, false, false);
  hand = Hand{};
  for (const int card : {1, 5, 2, 2, 1, 1, 1, 9}) {
    hand.addCard(card);
  }
  ok = handIs(hand, 22, false, false) && ok;
  hand = Hand{};
  hand.addCard(10);
  hand.addCard(1);
  return handIs(hand, 21, true, true) && ok;
}

bool runSelfTestSuite(std::span<const SelfTest> tests) {
  bool allPassed = true;
  for (const SelfTest& test : tests) {
    std::cout << test.label;
    const bool passed = test.run();
    if (passed) {
      std::cout << "Passed" << std::endl;
    } else {
      std::cerr << "FAILED!!" << std::endl;
    }
    allPassed = passed && allPassed;
  }
  std::cout << std::endl;
  return allPassed;
}

bool runSelfTests() {
  static constexpr std::array<SelfTest, 3> kSuite{{
      {"Testing Deck...", testDeck},
      {"Testing Count...", testCount},
      {"Testing Hand...", testHand},
  }};
  return runSelfTestSuite(kSuite);
}
