// Every player decision copies both hands and builds a decision table; none of
// that may touch the heap. This binary counts every global allocation; lab_test
// counts those of whole blocks, a counter's among them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "deck/deck.h"
#include "strategy/player_rule.h"
#include "tests/counting_allocator.h"

// The control: a counter that counted nothing would pass every test below.
TEST(NoAllocation, TheCounterCountsEveryAllocation) {
  const long before = g_allocations.load();
  const std::vector<int> three(3);
  const auto one = std::make_unique<double>(1.0);
  EXPECT_EQ(g_allocations.load() - before, 2);
}

TEST(NoAllocation, DecisionsFromTheTableToTheAction) {
  std::srand(3);
  Deck deck(2, true, CLibraryRandom::shared());
  Hand dealer;
  dealer.addCard(deck.deal());
  dealer.addCard(deck.deal());
  int decisions = 0;
  const long before = g_allocations.load();
  while (deck.cardsLeft() > 4) {
    Hand player;  // a fresh pair of cards each time, then hits as the rule says
    player.addCard(deck.deal());
    player.addCard(deck.deal());
    for (int action = Hit; action == Hit && player.total() <= 21; ++decisions) {
      action = PlayerRule(DecisionContext{&deck, dealer, player});
      if (action == Hit)
        player.addCard(deck.deal());
    }
  }
  EXPECT_GT(decisions, 20);
  EXPECT_EQ(g_allocations.load() - before, 0);
}
